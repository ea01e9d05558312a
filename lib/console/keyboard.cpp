// Keys read unechoed, one byte at a time, with push-back. No batch spans a
// read: what was written before a read, and every echo, must show while the
// user types.
#include <versos/consola/text_window.h>

#include <time.h>

#include "lib/console/window_state.h"

namespace versos {

namespace {

constexpr int kEnter = 13;
constexpr int kPasswordLength = 8;

char pass[kPasswordLength + 1];

// A loop that does nothing but poll (while (!kbhit_());) sleeps in the
// device between polls, woken at once by a key. A poll that comes this soon
// after one that found nothing is taken for such a loop; a loop that waits
// or works on its own between polls (a game's delay) is never slowed.
constexpr long long kSpinningGapNs = 1'000'000;
constexpr int kPoliteWaitMs = 5;
long long last_empty_poll_ns = -1;

long long monotonic_ns() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// The input mode 0 (no line editing, no echo, no processing) while it
// lives; the saved mode after.
class RawInput {
public:
    RawInput() : console_(console::device()), saved_(console_.input_mode()) { console_.set_input_mode(0); }
    ~RawInput() { console_.set_input_mode(saved_); }
    RawInput(const RawInput&) = delete;
    RawInput& operator=(const RawInput&) = delete;
    int read() { return console_.read_key() & 0xFF; }

private:
    console::Device& console_;
    unsigned saved_;
};

}  // namespace

int getch_() { return RawInput().read(); }

int getche_() {
    const int key = getch_();
    // Echoed as the runtime's own putch does, where the console's cursor
    // really is; the tracked cursor stays.
    console::Batch batch;
    const char byte = static_cast<char>(key);
    batch->echo(&byte, 1);
    return key;
}

int kbhit_() {
    const bool spinning = last_empty_poll_ns >= 0 && monotonic_ns() - last_empty_poll_ns < kSpinningGapNs;
    const bool waiting = console::device().key_comes(spinning ? kPoliteWaitMs : 0);
    last_empty_poll_ns = waiting ? -1 : monotonic_ns();
    return waiting ? 1 : 0;
}

int ungetch(int c) { return console::device().push_key(static_cast<unsigned char>(c)) ? c : -1; }

char* cgets(char* buffer) {
    // The count is a byte from 0 to 255.
    const int maximum = static_cast<unsigned char>(buffer[0]);
    int count = 0;
    {
        RawInput input;
        while (count < maximum) {
            const int key = input.read();
            if (key == kEnter) break;
            buffer[2 + count++] = static_cast<char>(key);
            putch_(key);
        }
    }
    buffer[1] = static_cast<char>(count);
    buffer[2 + count] = '\0';
    return buffer + 2;
}

char* getpass(const char* prompt) {
    cputs(prompt);
    int stored = 0;
    RawInput input;
    while (stored < kPasswordLength) {
        const int key = input.read();
        if (key == kEnter) break;
        pass[stored++] = static_cast<char>(key);
    }
    pass[stored] = '\0';
    return pass;
}

}  // namespace versos
