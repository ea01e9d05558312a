#include "lib/console/terminal/terminal_keyboard.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "lib/console/terminal/echo_trace.h"
#include "lib/console/terminal/stdio_input.h"
#include "lib/console/terminal/terminal_mode.h"
#include "lib/console/two_byte_keys.h"

namespace versos::console {
namespace {

// How long the rest of a key's sequence may take to follow its ESC.
constexpr int kSequenceWaitMs = 50;
// How long a terminal may take to report its cursor (a busy machine may
// make a terminal slow); one that does not answer is not asked again.
constexpr int kCursorReportWaitMs = 1000;

long long now_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

int remaining_ms(long long deadline) { return static_cast<int>(std::max(deadline - now_ms(), 0LL)); }

}  // namespace

void TerminalKeyboard::take_keyboard() {
    if (!setup_.input_is_terminal || !setup_.whole_process || holding_) return;
    output_.notice_stdio();  // which the echo may have followed
    if (!terminal_mode::enter_keys(setup_.input_fd, mode_ & kProcessedInput)) {
        setup_.input_is_terminal = false;  // no terminal mode to set: its bytes as they come
        return;
    }
    holding_ = true;
    const bool echoed = echoing_ && terminal_mode::found_mode_echoed();
    echoing_ = false;
    int waiting = 0;
    if (ioctl(setup_.input_fd, FIONREAD, &waiting) != 0 || waiting < 0) waiting = 0;
    typed_ahead_ = terminal_mode::found_mode_mapped_enter() ? waiting : 0;
    if (waiting > 0 && echoed) take_echoed_keys(waiting);
}

void TerminalKeyboard::give_back_keyboard() {
    if (!holding_ || !(mode_ & kLineInput)) return;
    terminal_mode::leave_keys();
    holding_ = false;
    if (terminal_mode::found_mode_echoed()) echo_may_move_cursor_ = true;
    echoing_ = true;
    echo_unclear_ = false;
    echo_would_begin_at(output_.console_cursor());
}

void TerminalKeyboard::echo_would_begin_at(std::optional<Point> at) {
    echo_from_ = at;
    stdin_read_ = stdio_input::read_mark(stdin);
}

void TerminalKeyboard::set_input_mode(unsigned mode) {
    mode_ = mode;
    if (!holding_) return;
    terminal_mode::set_signal_keys(mode & kProcessedInput);
    give_back_keyboard();
}

void TerminalKeyboard::queue_decoded(const unsigned char* keys, int count) {
    const bool character = decoder_.gave_character();
    for (int i = 0; i < count; ++i) {
        const bool pair = !character && may_begin_pair(keys[i]);
        keys_.push_back(keys[i], pair);
        if (pair && i + 1 < count) keys_.push_back(keys[++i], false);
    }
}

void TerminalKeyboard::input_ended() {
    unsigned char decoded[KeyDecoder::kMaxOut];
    queue_decoded(decoded, decoder_.expire(decoded));
    input_ended_ = true;
}

// A key that waits when the console has written may have been echoed
// before that output, anywhere: its echo can't be traced. Otherwise the
// echo, if one comes, begins where the console left the cursor, if it did.
void TerminalKeyboard::terminal_written(bool ours) {
    if (!echoing_) return;
    int waiting = 0;
    if (ours && setup_.input_fd >= 0 && (ioctl(setup_.input_fd, FIONREAD, &waiting) != 0 || waiting > 0)) {
        echo_unclear_ = true;
        return;
    }
    echo_would_begin_at(output_.console_cursor());
}

// Up to `count` bytes that wait already, without waiting for more.
int TerminalKeyboard::read_waiting(unsigned char* bytes, int count) {
    int got = 0;
    while (got < count) {
        pollfd p{setup_.input_fd, POLLIN, 0};
        if (poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN)) break;
        const ssize_t n = read(setup_.input_fd, bytes + got, static_cast<std::size_t>(count - got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<int>(n);
    }
    return got;
}

void TerminalKeyboard::feed_keys(const unsigned char* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        unsigned char byte = bytes[i];
        if (typed_ahead_ > 0) {
            --typed_ahead_;
            if (byte == '\n') byte = '\r';
        }
        unsigned char decoded[KeyDecoder::kMaxOut];
        queue_decoded(decoded, decoder_.feed(byte, decoded));
    }
    if (decoder_.pending()) sequence_deadline_ = now_ms() + kSequenceWaitMs;
}

// The terminal's cursor report (ESC [ row ; column R) to the question sent
// now; keys typed meanwhile, before or after it, are queued.
bool TerminalKeyboard::ask_cursor(Point& at) {
    if (!cursor_reports_ || !output_.ask_cursor_report()) return false;
    const long long deadline = now_ms() + kCursorReportWaitMs;
    std::string got;
    for (;;) {
        // ESC [ digits ; digits R, anywhere in what came.
        for (std::size_t esc = got.find('\x1b'); esc != std::string::npos; esc = got.find('\x1b', esc + 1)) {
            int row = 0, column = 0, end = 0;
            if (std::sscanf(got.c_str() + esc, "\x1b[%d;%dR%n", &row, &column, &end) == 2 && end > 0) {
                const std::string keys = got.substr(0, esc) + got.substr(esc + static_cast<std::size_t>(end));
                feed_keys(reinterpret_cast<const unsigned char*>(keys.data()), static_cast<int>(keys.size()));
                at = Point{column - 1, row - 1};
                return true;
            }
        }
        pollfd p{setup_.input_fd, POLLIN, 0};
        const int ready = poll(&p, 1, remaining_ms(deadline));
        if (ready < 0 && errno == EINTR) continue;
        unsigned char bytes[256];
        const ssize_t n = ready > 0 ? read(setup_.input_fd, bytes, sizeof bytes) : 0;
        if (n <= 0) {
            cursor_reports_ = false;  // no answer: a terminal that does not report
            break;
        }
        got.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(n));
    }
    feed_keys(reinterpret_cast<const unsigned char*>(got.data()), static_cast<int>(got.size()));
    return false;
}

void TerminalKeyboard::take_echoed_keys(int waiting) {
    unsigned char bytes[KeyQueue::kCapacity / KeyDecoder::kMaxOut];
    const int most = std::min<int>(sizeof bytes, keys_.room() / KeyDecoder::kMaxOut);
    const int got = read_waiting(bytes, std::min(waiting, most));
    feed_keys(bytes, got);
    if (!(stdio_input::read_mark(stdin) == stdin_read_)) echo_from_.reset();
    EchoTrace trace;
    if (got == waiting && !echo_unclear_) {
        const bool carets = terminal_mode::found_mode_echoed_controls();
        Point end;
        if (echo_from_)
            trace = trace_echo(bytes, got, *echo_from_, output_.visible_size(), carets);
        else if (ask_cursor(end))
            trace = trace_echo_back(bytes, got, end, output_.visible_size(), carets);
    }
    output_.repair_echo(trace);
}

// Deadlines, not timeouts, so that signals (a terminal being resized many
// times a second) never put off a lone Escape or the end of a wait.
TerminalKeyboard::Wait TerminalKeyboard::wait_for_bytes(int timeout_ms, long long until) {
    const bool partial = decoder_.pending();
    const int wait = partial ? remaining_ms(sequence_deadline_) : timeout_ms > 0 ? remaining_ms(until) : timeout_ms;
    pollfd p{setup_.input_fd, POLLIN, 0};
    const int ready = poll(&p, 1, wait);
    if (ready < 0) {
        if (errno != EINTR && errno != EAGAIN) {
            input_ended();
            return Wait::kDone;
        }
        // Stopped and continued, or resized: the screen again at once.
        if (timeout_ms != 0) output_.flush();
        return Wait::kAgain;
    }
    if (ready == 0) {
        if (!partial) return Wait::kDone;
        unsigned char decoded[KeyDecoder::kMaxOut];
        queue_decoded(decoded, decoder_.expire(decoded));
        return !keys_.empty() || timeout_ms == 0 ? Wait::kDone : Wait::kAgain;
    }
    if (p.revents & POLLNVAL) {
        input_ended();
        return Wait::kDone;
    }
    return Wait::kReady;
}

void TerminalKeyboard::take_input(int timeout_ms) {
    if (input_ended_ || setup_.input_fd < 0) {
        input_ended_ = true;
        return;
    }
    if (setup_.input_stream) return take_stream_input(timeout_ms);
    const long long until = timeout_ms > 0 ? now_ms() + timeout_ms : 0;
    for (;;) {
        if (keys_.room() < KeyDecoder::kMaxOut) return;
        const Wait waited = wait_for_bytes(timeout_ms, until);
        if (waited == Wait::kDone) return;
        if (waited == Wait::kAgain) continue;
        // Without a terminal, one byte at a time: what follows the keys stays
        // in the input for other readers.
        unsigned char bytes[256];
        const std::size_t want =
            setup_.input_is_terminal ? std::min<std::size_t>(sizeof bytes, keys_.room() / KeyDecoder::kMaxOut) : 1;
        const ssize_t n = read(setup_.input_fd, bytes, want);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return input_ended();  // end of input, or the terminal hung up
        feed_keys(bytes, static_cast<int>(n));
        if (!keys_.empty() || (timeout_ms == 0 && !decoder_.pending())) return;
    }
}

// The bytes of a stream stdio reads too, one at a time through it: what it
// holds in its buffer comes first, the descriptor is waited on only when
// that is empty.
void TerminalKeyboard::take_stream_input(int timeout_ms) {
    std::FILE* in = setup_.input_stream;
    const long long until = timeout_ms > 0 ? now_ms() + timeout_ms : 0;
    for (;;) {
        if (keys_.room() < KeyDecoder::kMaxOut) return;
        if (!stdio_input::buffered(in)) {
            const Wait waited = wait_for_bytes(timeout_ms, until);
            if (waited == Wait::kDone) return;
            if (waited == Wait::kAgain) continue;
        }
        const int byte = std::getc(in);
        if (byte == EOF) {
            if (std::ferror(in) && (errno == EINTR || errno == EAGAIN)) {
                std::clearerr(in);
                continue;
            }
            return input_ended();  // its end: stdio's readers see it too
        }
        const auto key_byte = static_cast<unsigned char>(byte);
        feed_keys(&key_byte, 1);
        if (!keys_.empty() || (timeout_ms == 0 && !decoder_.pending())) return;
    }
}

int TerminalKeyboard::key_after_end() {
    last_began_pair_ = false;
    if (!enter_given_) {
        enter_given_ = true;
        return kNoMoreKeys;
    }
    // Nothing will ever come: the program ends as a hangup ends it, also
    // where SIGHUP is ignored, rather than read Enter for ever. exit()
    // puts the terminal back and flushes stdio.
    output_.flush();
    std::exit(128 + SIGHUP);
}

int TerminalKeyboard::read_key() {
    take_keyboard();
    while (keys_.empty() && !input_ended_) {
        output_.flush();  // everything drawn is seen before the wait
        take_input(-1);
    }
    int key;
    if (keys_.empty()) {
        key = key_after_end();
    } else {
        bool pair;
        key = keys_.pop(pair);
        last_began_pair_ = pair;
    }
    give_back_keyboard();
    return key;
}

bool TerminalKeyboard::key_comes(int within_ms) {
    output_.flush();  // a prompt printed before a key loop shows
    take_keyboard();
    if (keys_.empty() && !input_ended_) take_input(within_ms);
    give_back_keyboard();
    // At the end of input a read waits no more: it gives Enter, or ends.
    return !keys_.empty() || input_ended_;
}

void TerminalKeyboard::wait_for_key() {
    take_keyboard();
    while (keys_.empty() && !input_ended_) {
        output_.flush();
        take_input(-1);
    }
    give_back_keyboard();
}

bool TerminalKeyboard::push_key(unsigned char key) {
    // A pushed-back 0 or 224 begins a two-byte key, as it does on Windows.
    return keys_.push_front(key, may_begin_pair(key));
}

}  // namespace versos::console
