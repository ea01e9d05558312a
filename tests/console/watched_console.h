// The console in memory, looked at whenever a key is read: what the screen
// showed while the program waited for each key.
#pragma once

#include <string>
#include <vector>

#include "tests/support/memory_console.h"

namespace versos::test {

class WatchedConsole final : public console::Device {
public:
    explicit WatchedConsole(console::MemoryConsole& inner) : inner_(inner) {}

    struct Seen {
        std::vector<console::Cell> cells;  // every cell, row by row
        console::Point cursor;
        console::CursorShape shape;
        unsigned mode;
        bool row_holds(const std::string& text, int columns) const {
            for (std::size_t at = 0; at + columns <= cells.size(); at += columns) {
                std::string row;
                for (int x = 0; x < columns; ++x) row += static_cast<char>(cells[at + x].ch);
                if (row.find(text) != std::string::npos) return true;
            }
            return false;
        }
    };
    std::vector<Seen> reads;

    console::Size size() const override { return inner_.size(); }
    bool shows_output() const override { return inner_.shows_output(); }
    bool reads_keys() const override { return inner_.reads_keys(); }
    unsigned input_mode() const override { return inner_.input_mode(); }
    void set_input_mode(unsigned mode) override { inner_.set_input_mode(mode); }
    int read_key() override {
        const console::Size s = inner_.size();
        Seen seen{std::vector<console::Cell>(static_cast<std::size_t>(s.columns * s.rows)), inner_.cursor(),
                  inner_.cursor_shape(), inner_.input_mode()};
        for (int y = 0; y < s.rows; ++y)
            for (int x = 0; x < s.columns; ++x)
                seen.cells[static_cast<std::size_t>(y * s.columns + x)] = inner_.at(x, y);
        reads.push_back(seen);
        return inner_.read_key();
    }
    bool key_waiting() override { return inner_.key_waiting(); }
    void wait_for_key() override { inner_.wait_for_key(); }
    bool push_key(unsigned char key) override { return inner_.push_key(key); }
    bool key_comes(int within_ms) override { return inner_.key_comes(within_ms); }
    bool key_began_pair() const override { return inner_.key_began_pair(); }
    void write(const char* text, int length) override { inner_.write(text, length); }
    console::Point cursor() const override { return inner_.cursor(); }
    void set_cursor(console::Point at) override { inner_.set_cursor(at); }
    console::CursorShape cursor_shape() const override { return inner_.cursor_shape(); }
    void set_cursor_shape(console::CursorShape shape) override { inner_.set_cursor_shape(shape); }
    unsigned char attribute() const override { return inner_.attribute(); }
    void set_attribute(unsigned char attr) override { inner_.set_attribute(attr); }
    void fill(console::Point from, int count, console::Cell with) override { inner_.fill(from, count, with); }
    void scroll(console::Rect source, const console::Rect* clip, console::Point to, console::Cell fill) override {
        inner_.scroll(source, clip, to, fill);
    }
    bool read_cells(console::Rect area, console::Cell* out) const override { return inner_.read_cells(area, out); }
    bool write_cells(console::Rect area, const console::Cell* cells) override {
        return inner_.write_cells(area, cells);
    }
    void begin_batch() override { inner_.begin_batch(); }
    void end_batch() override { inner_.end_batch(); }

private:
    console::MemoryConsole& inner_;
};

}  // namespace versos::test
