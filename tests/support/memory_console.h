// A console in memory: a grid of cells, the attribute, the cursor and its
// shape, the input mode and a queue of key bytes. Tests install it to check
// cells, attributes and cursor exactly.
#pragma once

#include <deque>
#include <string>
#include <string_view>

#include "lib/console/cell_grid.h"
#include "lib/console/device.h"

namespace versos::console {

class MemoryConsole final : public Device {
public:
    // Every cell a blank in attribute 0x07, the cursor at (0, 0), the
    // console's attribute 0x07, as a fresh Windows console has them.
    explicit MemoryConsole(Size size = {});

    Size size() const override { return cells_.size(); }
    bool shows_output() const override { return shows_output_; }
    bool reads_keys() const override { return reads_keys_; }

    unsigned input_mode() const override { return mode_; }
    void set_input_mode(unsigned mode) override { mode_ = mode; }
    // Nothing can wait for a key here: an empty queue reads as kNoMoreKeys.
    int read_key() override;
    bool key_waiting() override { return reads_keys_ && !keys_.empty(); }
    void wait_for_key() override {}
    bool push_key(unsigned char key) override;
    // Never sleeps; counts the waits asked for with no key waiting.
    bool key_comes(int within_ms) override;
    bool key_began_pair() const override { return last_began_pair_; }

    void write(const char* text, int length) override;
    Point cursor() const override { return cursor_; }
    void set_cursor(Point at) override;
    CursorShape cursor_shape() const override { return shape_; }
    void set_cursor_shape(CursorShape shape) override;
    unsigned char attribute() const override { return attr_; }
    void set_attribute(unsigned char attr) override;
    void fill(Point from, int count, Cell with) override;
    void scroll(Rect source, const Rect* clip, Point to, Cell fill) override;
    bool read_cells(Rect area, Cell* out) const override;
    bool write_cells(Rect area, const Cell* cells) override;

    void begin_batch() override;
    void end_batch() override { --batch_depth_; }

    // Stand-ins for a console without a terminal, as device.h gives it:
    // output dropped (no cell changes, rectangles can't be read or written)
    // or no key to be had (the queue is ignored and push_key is refused).
    void set_shows_output(bool shows) { shows_output_ = shows; }
    void set_reads_keys(bool reads) { reads_keys_ = reads; }

    // Keys typed: each byte goes behind those that wait. A 0 or 224 begins
    // a two-byte key, whose second byte follows it.
    void type_keys(std::string_view keys);
    // A typed character, never the start of a two-byte key, even where it
    // is 224 (Ó in code page 850).
    void type_character(unsigned char c) { keys_.push_back(Key{c, false}); }
    int keys_waiting() const { return static_cast<int>(keys_.size()); }
    // How often key_comes was asked to wait with no key waiting.
    int waits() const { return waits_; }

    // The cell at (x, y), which must be on the screen.
    Cell at(int x, int y) const { return cells_.row(y)[x]; }
    // The characters of row y, columns from..to.
    std::string row_text(int y, int from = 0, int to = -1) const;

    // Batches begun while none was open, and screen operations made while
    // none was open: one library call should give 1 and 0.
    int outermost_batches() const { return outermost_batches_; }
    int operations_outside_batches() const { return outside_batches_; }

private:
    void count_operation() {
        if (batch_depth_ == 0) ++outside_batches_;
    }

    CellGrid cells_;
    unsigned char attr_ = 0x07;
    Point cursor_;
    CursorShape shape_;
    unsigned mode_ = kDefaultInputMode;
    struct Key {
        unsigned char byte;
        bool begins_pair;
    };
    std::deque<Key> keys_;
    bool last_began_pair_ = false;
    int waits_ = 0;
    bool shows_output_ = true;
    bool reads_keys_ = true;
    int batch_depth_ = 0;
    int outermost_batches_ = 0;
    int outside_batches_ = 0;
};

}  // namespace versos::console
