// The Windows console device's keys: console input events turned into key
// bytes; without a console, the bytes of standard input through the
// terminal's key decoder, as on a terminal.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "lib/console/virtual_keys.h"
#include "lib/console/windows/console_device.h"
#include "lib/console/windows/console_restore.h"

namespace versos::console {
namespace {

// How long the rest of a key's sequence may take to follow its ESC.
constexpr int kSequenceWaitMs = 50;
// A pipe can't be waited on: it is looked at this often while a key is
// awaited.
constexpr int kPipePollMs = 10;
// The status of a program whose input has gone, as a hangup gives on Linux.
constexpr int kInputGoneStatus = 129;

long long now_ms() { return static_cast<long long>(GetTickCount64()); }

// Milliseconds until `deadline` (0: none), for a wait of `timeout_ms` (-1:
// for ever).
DWORD wait_ms(int timeout_ms, long long deadline) {
    if (timeout_ms < 0) return INFINITE;
    return static_cast<DWORD>(std::max(deadline - now_ms(), 0LL));
}

VirtualKeyEvent event_of(const KEY_EVENT_RECORD& key) {
    return VirtualKeyEvent{key.bKeyDown != 0, key.wVirtualKeyCode, static_cast<char16_t>(key.uChar.UnicodeChar),
                           key.dwControlKeyState};
}

bool gives_key(const INPUT_RECORD& record) {
    return record.EventType == KEY_EVENT && key_bytes(event_of(record.Event.KeyEvent)).count > 0;
}

// The console's input mode while a key is read: Ctrl+C is a key unless the
// device's mode asks for processed input; the mode found comes back after.
class ReadMode {
public:
    ReadMode(HANDLE input, unsigned mode, bool whole_process) : input_(input), whole_process_(whole_process) {
        if (!GetConsoleMode(input_, &found_)) return;
        const DWORD wanted =
            (found_ & ~static_cast<DWORD>(ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT)) |
            ((mode & kProcessedInput) ? ENABLE_PROCESSED_INPUT : 0);
        if (wanted == found_) return;
        if (whole_process_) console_restore::reading(input_, found_);
        set_ = SetConsoleMode(input_, wanted) != 0;
        if (!set_ && whole_process_) console_restore::read_done();
    }
    ~ReadMode() {
        if (!set_) return;
        SetConsoleMode(input_, found_);
        if (whole_process_) console_restore::read_done();
    }
    ReadMode(const ReadMode&) = delete;
    ReadMode& operator=(const ReadMode&) = delete;

private:
    HANDLE input_;
    bool whole_process_;
    DWORD found_ = 0;
    bool set_ = false;
};

}  // namespace

void WindowsConsoleDevice::queue(const unsigned char* keys, int count, bool character) {
    for (int i = 0; i < count; ++i) {
        const bool pair = !character && (keys[i] == 0 || keys[i] == 224);
        keys_.push_back(keys[i], pair);
        if (pair && i + 1 < count) keys_.push_back(keys[++i], false);
    }
}

void WindowsConsoleDevice::input_ended() {
    unsigned char decoded[KeyDecoder::kMaxOut];
    queue(decoded, decoder_.expire(decoded), false);
    input_ended_ = true;
}

// One event at a time, so that the keys after the one wanted stay in the
// console for whatever reads it next (stdio's line input among them).
void WindowsConsoleDevice::take_console_input(int timeout_ms) {
    const long long deadline = timeout_ms > 0 ? now_ms() + timeout_ms : 0;
    ReadMode mode(setup_.input, mode_, setup_.whole_process);
    while (keys_.empty()) {
        DWORD waiting = 0;
        if (!GetNumberOfConsoleInputEvents(setup_.input, &waiting)) return input_ended();
        if (waiting == 0) {
            if (timeout_ms == 0) return;
            const DWORD woken = WaitForSingleObject(setup_.input, wait_ms(timeout_ms, deadline));
            if (woken == WAIT_TIMEOUT) return;
            if (woken != WAIT_OBJECT_0) return input_ended();
            continue;
        }
        INPUT_RECORD record;
        DWORD got = 0;
        if (!ReadConsoleInputW(setup_.input, &record, 1, &got)) return input_ended();
        // Other events (a resize among them: the size is asked for afresh
        // at each use) are no keys.
        if (got == 0 || record.EventType != KEY_EVENT) continue;
        const KeyBytes key = key_bytes(event_of(record.Event.KeyEvent));
        const int repeat = std::max<int>(record.Event.KeyEvent.wRepeatCount, 1);
        for (int i = 0; i < repeat && keys_.room() >= key.count; ++i) {
            for (int b = 0; b < key.count; ++b) keys_.push_back(key.bytes[b], b == 0 && key.begins_pair);
        }
    }
}

void WindowsConsoleDevice::take_byte_input(int timeout_ms) {
    const long long deadline = timeout_ms > 0 ? now_ms() + timeout_ms : 0;
    const bool pipe = GetFileType(setup_.input) == FILE_TYPE_PIPE;
    long long sequence_deadline = 0;
    while (keys_.empty() && keys_.room() >= KeyDecoder::kMaxOut) {
        // A pipe's bytes may not have come yet: waited for by looking.
        if (pipe) {
            DWORD available = 0;
            const bool open = PeekNamedPipe(setup_.input, nullptr, 0, nullptr, &available, nullptr) != 0;
            if (open && available == 0) {
                const bool partial = decoder_.pending();
                const DWORD left = partial ? wait_ms(0, sequence_deadline) : wait_ms(timeout_ms, deadline);
                if (left == 0) {
                    if (!partial) return;
                    unsigned char decoded[KeyDecoder::kMaxOut];
                    queue(decoded, decoder_.expire(decoded), false);
                    if (timeout_ms == 0) return;
                    continue;
                }
                Sleep(std::min<DWORD>(left, kPipePollMs));
                continue;
            }
        }
        // One byte at a time: what follows the keys stays in standard input
        // for stdio's readers.
        unsigned char byte;
        DWORD got = 0;
        if (!ReadFile(setup_.input, &byte, 1, &got, nullptr) || got == 0) return input_ended();
        unsigned char decoded[KeyDecoder::kMaxOut];
        const int count = decoder_.feed(byte, decoded);
        queue(decoded, count, decoder_.gave_character());
        if (decoder_.pending()) sequence_deadline = now_ms() + kSequenceWaitMs;
    }
}

void WindowsConsoleDevice::take_input(int timeout_ms) {
    if (input_ended_ || !reads_keys()) {
        input_ended_ = true;
        return;
    }
    if (setup_.input_is_console)
        take_console_input(timeout_ms);
    else
        take_byte_input(timeout_ms);
}

int WindowsConsoleDevice::key_after_end() {
    last_began_pair_ = false;
    if (!enter_given_) {
        enter_given_ = true;
        return kNoMoreKeys;
    }
    // Nothing will ever come: the program ends rather than read Enter for
    // ever, as on Linux. exit() puts the console back and flushes stdio.
    std::exit(kInputGoneStatus);
}

int WindowsConsoleDevice::read_key() {
    while (keys_.empty() && !input_ended_) take_input(-1);
    if (keys_.empty()) return key_after_end();
    bool pair;
    const int key = keys_.pop(pair);
    last_began_pair_ = pair;
    return key;
}

// Looks without reading: a key waiting in the console stays there. Events
// that give no key (releases, the modifier keys, focus, mouse and resize
// events) are taken away, so that a wait is not woken by them again.
bool WindowsConsoleDevice::key_comes(int within_ms) {
    if (!keys_.empty() || input_ended_) return true;
    if (!reads_keys() || !setup_.input_is_console) {
        take_input(within_ms);
        return !keys_.empty() || input_ended_;
    }
    const long long deadline = within_ms > 0 ? now_ms() + within_ms : 0;
    std::vector<INPUT_RECORD> records;
    for (;;) {
        DWORD waiting = 0;
        if (!GetNumberOfConsoleInputEvents(setup_.input, &waiting)) {
            input_ended_ = true;
            return true;
        }
        if (waiting > 0) {
            records.resize(waiting);
            DWORD seen = 0;
            if (!PeekConsoleInputW(setup_.input, records.data(), waiting, &seen)) {
                input_ended_ = true;
                return true;
            }
            if (std::any_of(records.begin(), records.begin() + seen, gives_key)) return true;
            // The first `seen` events are those looked at, even if more came.
            DWORD taken;
            if (seen > 0) ReadConsoleInputW(setup_.input, records.data(), seen, &taken);
        }
        if (within_ms <= 0) return false;
        const DWORD left = wait_ms(within_ms, deadline);
        if (left == 0 || WaitForSingleObject(setup_.input, left) != WAIT_OBJECT_0) return false;
    }
}

void WindowsConsoleDevice::wait_for_key() {
    while (!key_comes(INT_MAX)) {
    }
}

bool WindowsConsoleDevice::push_key(unsigned char key) {
    // A pushed-back 0 or 224 begins a two-byte key, as on Linux.
    return keys_.push_front(key, key == 0 || key == 224);
}

}  // namespace versos::console
