// The console device on a terminal: the kept cells drawn through escape
// sequences on the terminal's output (TerminalOutput), keys decoded from
// its input (TerminalKeyboard).
#pragma once

#include "lib/console/cell_grid.h"
#include "lib/console/device.h"
#include "lib/console/terminal/terminal_keyboard.h"
#include "lib/console/terminal/terminal_output.h"
#include "lib/console/terminal/terminal_setup.h"

namespace versos::console {

// Standard output, where it is a terminal (and TERM is not "dumb"), and
// standard input, a terminal or not. Standard output is the one the process
// started with, so that the console still draws on the terminal while output
// is captured (openprints_).
TerminalSetup standard_terminal();

class TerminalDevice final : public Device {
public:
    explicit TerminalDevice(const TerminalSetup& setup) : output_(setup), keyboard_(setup, output_) {
        output_.watch(&keyboard_);
    }

    Size size() const override { return output_.size(); }
    bool shows_output() const override { return output_.shows(); }
    bool reads_keys() const override { return keyboard_.reads_keys(); }

    unsigned input_mode() const override { return keyboard_.input_mode(); }
    void set_input_mode(unsigned mode) override { keyboard_.set_input_mode(mode); }
    int read_key() override { return keyboard_.read_key(); }
    bool key_waiting() override { return keyboard_.key_waiting(); }
    void wait_for_key() override { keyboard_.wait_for_key(); }
    bool push_key(unsigned char key) override { return keyboard_.push_key(key); }
    bool key_comes(int within_ms) override { return keyboard_.key_comes(within_ms); }
    bool key_began_pair() const override { return keyboard_.key_began_pair(); }

    void write(const char* text, int length) override { output_.write(text, length); }
    void echo(const char* text, int length) override { output_.echo(text, length); }
    Point cursor() const override { return output_.cursor(); }
    void set_cursor(Point at) override { output_.set_cursor(at); }
    CursorShape cursor_shape() const override { return output_.cursor_shape(); }
    void set_cursor_shape(CursorShape shape) override { output_.set_cursor_shape(shape); }
    unsigned char attribute() const override { return output_.attribute(); }
    void set_attribute(unsigned char attr) override { output_.set_attribute(attr); }
    void fill(Point from, int count, Cell with) override { output_.fill(from, count, with); }
    void scroll(Rect source, const Rect* clip, Point to, Cell fill) override { output_.scroll(source, clip, to, fill); }
    bool read_cells(Rect area, Cell* out) const override { return output_.read_cells(area, out); }
    bool write_cells(Rect area, const Cell* cells) override { return output_.write_cells(area, cells); }
    Size visible_size() const override { return output_.visible_size(); }
    void recolour(unsigned char attr) override { output_.recolour(attr); }
    bool begin_overlay() override { return output_.begin_overlay(); }
    void end_overlay() override { output_.end_overlay(); }

    void begin_batch() override { output_.begin_batch(); }
    void end_batch() override { output_.end_batch(); }
    void terminal_written_outside() override { output_.terminal_written_outside(); }

    // Forgets what the terminal shows, as after the program was stopped:
    // the next flush sends every cell the console drew.
    void forget_screen() { output_.forget_screen(); }
    // The kept cells, and which of them the console ever drew.
    const CellGrid& kept_cells() const { return output_.kept_cells(); }

private:
    TerminalOutput output_;
    TerminalKeyboard keyboard_;
};

}  // namespace versos::console
