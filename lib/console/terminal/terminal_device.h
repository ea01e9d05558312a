// The console device on a terminal: the kept cells drawn through escape
// sequences on the terminal's output, keys decoded from its input.
#pragma once

#include <cstdio>
#include <memory>

#include "lib/console/cell_grid.h"
#include "lib/console/device.h"
#include "lib/console/terminal/echo_trace.h"
#include "lib/console/terminal/escapes.h"
#include "lib/console/terminal/key_decoder.h"
#include "lib/console/terminal/key_queue.h"
#include "lib/console/terminal/screen.h"

namespace versos::console {

struct TerminalSetup {
    int output_fd = -1;  // -1: output is dropped
    Size size{80, 24};   // of the terminal
    TerminalKind kind = TerminalKind::kAnsi;
    int input_fd = -1;  // -1: no key can be read
    // input_fd is a terminal, whose mode is set for each key read; otherwise
    // its bytes are the keys as they come.
    bool input_is_terminal = false;
    // Set where input_fd is a stream's that stdio reads too (standard input
    // without a terminal): keys are taken through it, so that a line read
    // and a key read take their bytes in order.
    std::FILE* input_stream = nullptr;
    // Sets the terminal's mode for keys and puts it back at exit, on signals
    // and while stopped; off for a device that a test drives alone.
    bool whole_process = true;
};
// Standard output, where it is a terminal (and TERM is not "dumb"), and
// standard input, a terminal or not. Standard output is the one the process
// started with, so that the console still draws on the terminal while output
// is captured (openprints_).
TerminalSetup standard_terminal();

class TerminalDevice final : public Device {
public:
    explicit TerminalDevice(const TerminalSetup& setup);

    Size size() const override { return cells_.size(); }
    bool shows_output() const override { return setup_.output_fd >= 0; }
    bool reads_keys() const override { return setup_.input_fd >= 0; }

    unsigned input_mode() const override { return mode_; }
    void set_input_mode(unsigned mode) override;
    int read_key() override;
    bool key_waiting() override;
    void wait_for_key() override;
    bool push_key(unsigned char key) override;
    bool key_comes(int within_ms) override;
    bool key_began_pair() const override { return last_began_pair_; }

    void write(const char* text, int length) override;
    void echo(const char* text, int length) override;
    Point cursor() const override { return cursor_; }
    void set_cursor(Point at) override;
    CursorShape cursor_shape() const override { return shape_; }
    void set_cursor_shape(CursorShape shape) override;
    unsigned char attribute() const override { return attr_; }
    void set_attribute(unsigned char attr) override { attr_ = attr; }
    void fill(Point from, int count, Cell with) override;
    void scroll(Rect source, const Rect* clip, Point to, Cell fill) override;
    bool read_cells(Rect area, Cell* out) const override;
    bool write_cells(Rect area, const Cell* cells) override;
    Size visible_size() const override { return setup_.size; }
    void recolour(unsigned char attr) override;
    bool begin_overlay() override;
    void end_overlay() override;

    void begin_batch() override { ++depth_; }
    void end_batch() override;
    void terminal_written_outside() override;

    // Forgets what the terminal shows, as after the program was stopped:
    // the next flush sends every cell the console drew.
    void forget_screen();
    // The kept cells, and which of them the console ever drew.
    const CellGrid& kept_cells() const { return cells_; }

private:
    void changed() {
        if (depth_ == 0) flush();
    }
    void moved() {
        cursor_placed_ = true;
        cursor_moved_ = true;
    }
    void flush();
    void catch_up();
    void send();
    // The keyboard in the console's mode for a key routine; given back after
    // it unless the input mode says the keys stay the console's (no line
    // input, as while getch_ and cgets read).
    void take_keyboard();
    void give_back_keyboard();
    // Reads and decodes what the input sent, waiting up to `timeout_ms`
    // (-1: until a key comes).
    void take_input(int timeout_ms);
    void take_stream_input(int timeout_ms);
    void queue_decoded(const unsigned char* keys, int count);
    void input_ended();
    // Keys typed while the terminal echoed them: read now, and what their
    // echo covered drawn again.
    void take_echoed_keys(int waiting);
    int read_waiting(unsigned char* bytes, int count);
    void feed_keys(const unsigned char* bytes, int count);
    bool ask_cursor(Point& at);
    void repair_echo(EchoTrace trace);
    // Output went to the terminal while it echoed keys.
    void sent_while_echoing();
    void notice_stdio();
    // Enter once at the end of input; the read after it ends the program.
    int key_after_end();

    TerminalSetup setup_;
    CellGrid cells_;
    Screen screen_;
    Output out_;
    Point cursor_;
    bool cursor_placed_ = false;  // the terminal's cursor stays where it is until the console's is placed
    bool cursor_moved_ = false;   // since the last flush
    // Other output moved the terminal's cursor since the console last placed
    // it: it stays where that output left it until the console moves its own.
    bool follow_terminal_ = false;
    int default_colours_ = -1;  // the attribute color_ gave the terminal's default colours
    unsigned char attr_ = 0x07;
    CursorShape shape_;
    bool shape_set_ = false;  // the terminal keeps its own until a shape is asked for
    bool shown_visible_ = true;
    CursorForm shown_form_ = CursorForm::kTerminalDefault;
    int depth_ = 0;

    // What the screen under a message box was, while it shows.
    struct Overlay {
        CellGrid::Saved cells;
        Screen::Known known;
        Point cursor;
        bool cursor_placed, follow_terminal;
        unsigned char attr;
        CursorShape shape;
        bool shape_set;
    };
    std::unique_ptr<Overlay> overlay_;

    unsigned mode_ = kDefaultInputMode;
    bool holding_keyboard_ = false;
    // The keyboard was given back in a mode that echoes: typing may move the
    // terminal's cursor behind the console's back.
    bool echo_may_move_cursor_ = false;
    Point flushed_cursor_;
    // Bytes typed while the program had the keyboard, still to be read; an
    // Enter among them came as a line feed.
    int typed_ahead_ = 0;
    // While the terminal echoes (the keyboard given back, or not yet taken):
    // where its cursor was when the console last wrote, if known, which is
    // where an echo begins; `echo_unclear_` once the console wrote while a
    // key waited, so that the echo may lie under or before that output.
    bool echoing_ = true;
    bool echo_from_known_ = false;
    bool echo_unclear_ = false;
    Point echo_from_;
    bool input_ended_ = false;
    bool enter_given_ = false;
    bool last_began_pair_ = false;
    KeyDecoder decoder_;
    long long sequence_deadline_ = 0;  // ms on the monotonic clock, while the decoder waits for the rest
    KeyQueue keys_;
};

}  // namespace versos::console
