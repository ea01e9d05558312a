#include "lib/console/windows/console_restore.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "lib/console/unload.h"

namespace versos::console::console_restore {
namespace {

// Read by handlers on other threads (the control handler's) and by the
// crash filter: set before the flags that tell them to use it.
HANDLE watched_output = nullptr;
WORD found_attribute = 0x07;
CONSOLE_CURSOR_INFO found_cursor{25, TRUE};
std::atomic<bool> attribute_set{false}, cursor_set{false};

HANDLE reading_input = nullptr;
DWORD reading_found = 0;
std::atomic<bool> read_in_progress{false};

LPTOP_LEVEL_EXCEPTION_FILTER earlier_filter = nullptr;
bool handlers_installed = false;

BOOL WINAPI on_control(DWORD) {
    put_back();
    return FALSE;  // the next handler, in the end the one that ends the process
}

LONG WINAPI on_crash(EXCEPTION_POINTERS* exception) {
    put_back();
    return earlier_filter ? earlier_filter(exception) : EXCEPTION_CONTINUE_SEARCH;
}

void at_exit() {
    // What was printed in the program's colours shows in them.
    std::fflush(stdout);
    std::fflush(stderr);
    put_back();
}

}  // namespace

void watch(HANDLE output) {
    static bool watching = false;
    if (watching) return;
    watching = true;
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(output, &info)) found_attribute = info.wAttributes;
    GetConsoleCursorInfo(output, &found_cursor);
    watched_output = output;
    std::atexit(at_exit);
    SetConsoleCtrlHandler(on_control, TRUE);
    earlier_filter = SetUnhandledExceptionFilter(on_crash);
    handlers_installed = true;
}

// The handlers point into the library's code: they go when it is unloaded.
// The filter goes back only where it is still ours (one installed after it
// passes crashes on to ours).
void remove_handlers() {
    if (!handlers_installed) return;
    handlers_installed = false;
    SetConsoleCtrlHandler(on_control, FALSE);
    const LPTOP_LEVEL_EXCEPTION_FILTER now = SetUnhandledExceptionFilter(earlier_filter);
    if (now != on_crash) SetUnhandledExceptionFilter(now);
}

void note_attribute_set() { attribute_set = true; }
void note_cursor_set() { cursor_set = true; }

void reading(HANDLE input, DWORD found) {
    reading_input = input;
    reading_found = found;
    read_in_progress = true;
}

void read_done() { read_in_progress = false; }

void put_back() {
    if (read_in_progress) SetConsoleMode(reading_input, reading_found);
    if (watched_output == nullptr) return;
    if (attribute_set) SetConsoleTextAttribute(watched_output, found_attribute);
    if (cursor_set) SetConsoleCursorInfo(watched_output, &found_cursor);
}

}  // namespace versos::console::console_restore

namespace versos::console {

void restore_platform_handlers() { console_restore::remove_handlers(); }

}  // namespace versos::console
