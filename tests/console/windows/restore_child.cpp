// console-restore-child MODE: changes the console as the console routines
// do (attribute, cursor, and the input mode while getch_ waits in another
// thread), then ends while getch_ still waits: "crash" by an access
// violation, "exit" through exit(); or, with no read waiting, "ctrl-c" by a
// Ctrl+C written into the console's input as typed, which the console turns
// into a control event for every process on it. The console must be left as
// found. Its own unhandled-exception filter, installed before the
// console's, ends the crash with the exception's code (rather than a
// debugger): the console's filter must pass the crash on to it.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include <versos/consola.h>

namespace {

LONG WINAPI end_with_the_code(EXCEPTION_POINTERS* exception) { ExitProcess(exception->ExceptionRecord->ExceptionCode); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(end_with_the_code);
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD found = 0;
    if (!GetConsoleMode(input, &found) || !(found & ENABLE_PROCESSED_INPUT)) return 3;
    versos::textattr(0x4E);
    versos::_setcursortype(0);
    if (std::strcmp(argv[1], "ctrl-c") == 0) {
        SetConsoleCtrlHandler(nullptr, FALSE);  // the test ignores Ctrl+C, and a child inherits that
        INPUT_RECORD typed[2] = {};
        for (int i = 0; i < 2; ++i) {
            typed[i].EventType = KEY_EVENT;
            typed[i].Event.KeyEvent.bKeyDown = i == 0;
            typed[i].Event.KeyEvent.wRepeatCount = 1;
            typed[i].Event.KeyEvent.wVirtualKeyCode = 'C';
            typed[i].Event.KeyEvent.uChar.UnicodeChar = 3;
            typed[i].Event.KeyEvent.dwControlKeyState = LEFT_CTRL_PRESSED;
        }
        DWORD written;
        if (!WriteConsoleInputW(input, typed, 2, &written)) return 5;
        Sleep(60000);  // the console's handlers end the process first
        return 6;
    }
    std::thread reader([] { versos::getch_(); });
    reader.detach();
    // Until the read has set its own mode.
    for (DWORD mode = found; mode & ENABLE_PROCESSED_INPUT;) {
        Sleep(1);
        if (!GetConsoleMode(input, &mode)) return 4;
    }
    if (std::strcmp(argv[1], "crash") == 0) {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    }
    std::exit(0);
}
