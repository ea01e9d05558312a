// The input side of the console on a terminal: the input mode, the
// keyboard taken from the terminal for each key read and given back, the
// decoder of what the terminal sends for keys, the queue of key bytes, the
// end of input, and the echo of keys typed while the terminal had the
// keyboard.
//
// Invariants:
// - `holding_`: the terminal is in the console's key mode (no echo, no line
//   editing) exactly while it is set; between reads the terminal's own mode
//   is back unless the input mode says the keys stay the console's.
// - Every byte read from the input has gone through the decoder; what it
//   completed is in the queue, in the order typed, a cursor or function
//   key's two bytes together.
// - Once the input has ended nothing more is read: the next read that finds
//   the queue empty gives Enter once, the one after ends the program.
// - While `echoing_`, `echo_from_` is where an echo of keys typed now
//   begins (where known), and `echo_unclear_` once the console wrote while
//   a key waited, so that the echo may lie anywhere under that output.
#pragma once

#include <optional>

#include "lib/console/device.h"
#include "lib/console/terminal/key_decoder.h"
#include "lib/console/terminal/key_queue.h"
#include "lib/console/terminal/stdio_input.h"
#include "lib/console/terminal/terminal_output.h"
#include "lib/console/terminal/terminal_setup.h"

namespace versos::console {

class TerminalKeyboard final : public OutputWatcher {
public:
    // `output` is where the console draws: flushed before each wait, and
    // told what an echo of typed keys covered.
    TerminalKeyboard(const TerminalSetup& setup, TerminalOutput& output) : setup_(setup), output_(output) {}
    TerminalKeyboard(const TerminalKeyboard&) = delete;
    TerminalKeyboard& operator=(const TerminalKeyboard&) = delete;

    // The operations of Device, with the rules device.h gives them.
    bool reads_keys() const { return setup_.input_fd >= 0; }
    unsigned input_mode() const { return mode_; }
    void set_input_mode(unsigned mode);
    int read_key();
    bool key_waiting() { return key_comes(0); }
    void wait_for_key();
    bool push_key(unsigned char key);
    bool key_comes(int within_ms);
    bool key_began_pair() const { return last_began_pair_; }

    void terminal_written(bool ours) override;
    bool echo_may_move_cursor() const override { return echo_may_move_cursor_ && !holding_; }

private:
    // The keyboard in the console's mode for a key routine; given back after
    // it unless the input mode says the keys stay the console's (no line
    // input, as while getch_ and cgets read).
    void take_keyboard();
    void give_back_keyboard();
    // Reads and decodes what the input sent, waiting up to `timeout_ms`
    // (-1: until a key comes).
    void take_input(int timeout_ms);
    void take_stream_input(int timeout_ms);
    // Waits for input bytes, for the rest of a sequence (then expired), or
    // until `until`: kReady when bytes wait, kAgain to look again, kDone
    // when the taking is over.
    enum class Wait { kReady, kAgain, kDone };
    Wait wait_for_bytes(int timeout_ms, long long until);
    void queue_decoded(const unsigned char* keys, int count);
    void feed_keys(const unsigned char* bytes, int count);
    void input_ended();
    // Enter once at the end of input; the read after it ends the program.
    int key_after_end();
    // Keys typed while the terminal echoed them: read now, and what their
    // echo covered drawn again.
    void take_echoed_keys(int waiting);
    void echo_would_begin_at(std::optional<Point> at);
    int read_waiting(unsigned char* bytes, int count);
    bool ask_cursor(Point& at);

    TerminalSetup setup_;
    TerminalOutput& output_;
    unsigned mode_ = kDefaultInputMode;
    bool holding_ = false;
    // The keyboard was given back in a mode that echoes: typing may move the
    // terminal's cursor behind the console's back.
    bool echo_may_move_cursor_ = false;
    // Bytes typed while the program had the keyboard, still to be read; an
    // Enter among them came as a line feed.
    int typed_ahead_ = 0;
    bool echoing_ = true;  // the terminal has the keyboard (before the first read too)
    bool echo_unclear_ = false;
    std::optional<Point> echo_from_;
    // stdin's reading when echo_from_ was taken: a line read through stdio
    // since (fgets, scanf) was echoed too, and moved the cursor.
    stdio_input::ReadMark stdin_read_;
    bool cursor_reports_ = true;  // until the terminal once left the question unanswered
    bool input_ended_ = false;
    bool enter_given_ = false;
    bool last_began_pair_ = false;
    KeyDecoder decoder_;
    long long sequence_deadline_ = 0;  // ms on the monotonic clock, while the decoder waits for the rest
    KeyQueue keys_;
};

}  // namespace versos::console
