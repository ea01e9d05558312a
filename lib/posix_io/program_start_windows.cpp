#include "program_start.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "windows_names.h"

namespace versos::program {
namespace {

HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

HANDLE g_console = INVALID_HANDLE_VALUE;
DWORD g_console_mode = 0;

void give_back_console_mode() { SetConsoleMode(g_console, g_console_mode); }

}  // namespace

char** utf8_arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr || count != argc) {
        if (wide != nullptr) LocalFree(wide);
        return argv;
    }
    static std::vector<std::string> text;
    static std::vector<char*> pointers;
    text.clear();
    for (int i = 0; i < count; ++i) text.push_back(windows::utf8_from_wide(wide[i]));
    LocalFree(wide);
    pointers.clear();
    for (std::string& s : text) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers.data();
}

void binary_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) ::_setmode(fd, _O_BINARY);
}

bool is_console(int fd) {
    DWORD mode;
    return GetConsoleMode(handle_of(fd), &mode) != 0;
}

void console_escapes(int fd) {
    const HANDLE console = handle_of(fd);
    DWORD mode;
    if (g_console != INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) return;
    if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return;
    if (!SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return;
    g_console = console;
    g_console_mode = mode;
    std::atexit(give_back_console_mode);
}

void survive_file_size_limit() {}

}  // namespace versos::program
