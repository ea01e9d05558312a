// The console device on the Windows console: cells, cursor and attributes
// through the console API on the screen buffer, which keeps its cells (so
// that rectangles read back what any program drew), keys from its input
// events turned into the bytes the terminal device gives for them.
#pragma once

#include <windows.h>

#include "lib/console/device.h"
#include "lib/console/terminal/key_decoder.h"
#include "lib/console/terminal/key_queue.h"

namespace versos::console {

struct ConsoleSetup {
    HANDLE output = nullptr;  // a console screen buffer; null: output is dropped
    HANDLE input = nullptr;   // null: no key can be read
    // `input` is a console's input, whose events are the keys; otherwise
    // (a file or a pipe) its bytes are, as on a terminal.
    bool input_is_console = false;
    // Puts the console back as found at exit, on Ctrl+Break or the window
    // closing, and on a crash; off for a device that a test drives alone.
    bool whole_process = true;
};
// Standard output as the process started (when a console), so that the
// console still draws there while output is captured (openprints_), and
// standard input, a console or not.
ConsoleSetup standard_console();

class WindowsConsoleDevice final : public Device {
public:
    explicit WindowsConsoleDevice(const ConsoleSetup& setup);

    Size size() const override;
    bool shows_output() const override { return setup_.output != nullptr; }
    bool reads_keys() const override { return setup_.input != nullptr; }

    unsigned input_mode() const override { return mode_; }
    void set_input_mode(unsigned mode) override { mode_ = mode; }
    int read_key() override;
    bool key_waiting() override { return key_comes(0); }
    void wait_for_key() override;
    bool push_key(unsigned char key) override;
    bool key_comes(int within_ms) override;
    bool key_began_pair() const override { return last_began_pair_; }

    void write(const char* text, int length) override;
    Point cursor() const override;
    void set_cursor(Point at) override;
    CursorShape cursor_shape() const override;
    void set_cursor_shape(CursorShape shape) override;
    unsigned char attribute() const override;
    void set_attribute(unsigned char attr) override;
    void fill(Point from, int count, Cell with) override;
    void scroll(Rect source, const Rect* clip, Point to, Cell fill) override;
    bool read_cells(Rect area, Cell* out) const override;
    bool write_cells(Rect area, const Cell* cells) override;
    Size visible_size() const override;
    void recolour(unsigned char attr) override;

private:
    bool buffer_info(CONSOLE_SCREEN_BUFFER_INFO& info) const;
    void fill_except(Rect area, Rect spared, Cell with);
    // The console's input events taken into the key queue, the console's
    // input mode set for the read meanwhile; waits up to `timeout_ms` (-1:
    // until a key comes) when none gives a key.
    void take_console_input(int timeout_ms);
    // Bytes of a file or pipe through the key decoder.
    void take_byte_input(int timeout_ms);
    void take_input(int timeout_ms);
    void queue(const unsigned char* keys, int count, bool character);
    void input_ended();
    int key_after_end();

    ConsoleSetup setup_;
    // What is recorded where output is dropped.
    Point cursor_;
    CursorShape shape_;
    unsigned char attr_ = 0x07;

    unsigned mode_ = kDefaultInputMode;
    KeyQueue keys_;
    KeyDecoder decoder_;  // for bytes that are not console events
    bool input_ended_ = false;
    bool enter_given_ = false;
    bool last_began_pair_ = false;
};

}  // namespace versos::console
