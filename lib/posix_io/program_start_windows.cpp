#include "program_start.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "windows_console.h"
#include "windows_names.h"

// The C runtime's split of the command line into wmain's arguments;
// documented with the runtime, declared in no header of MinGW's. Its last
// parameter is the runtime's start-up record, which holds one int.
extern "C" int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** environment, int expand_wildcards,
                              int* startup_info);

namespace versos::program {
namespace {

HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

HANDLE g_console = INVALID_HANDLE_VALUE;
DWORD g_console_mode = 0;

void give_back_console_mode() { SetConsoleMode(g_console, g_console_mode); }

}  // namespace

char** utf8_arguments(int argc, char** argv) {
    // The C runtime's own split of the UTF-16 command line, the one it made
    // argv from: the same arguments, in letters the code page may lack.
    // (SHELL32's CommandLineToArgvW would split it too, but loading SHELL32
    // adds some 5% to a windowless run's start-up under Wine.)
    int count = 0;
    wchar_t** wide = nullptr;
    wchar_t** environment = nullptr;
    int startup = 0;
    if (__wgetmainargs(&count, &wide, &environment, 0, &startup) != 0 || wide == nullptr || count != argc) return argv;
    static std::vector<std::string> text;
    static std::vector<char*> pointers;
    text.clear();
    for (int i = 0; i < count; ++i) text.push_back(windows::utf8_from_wide(wide[i]));
    pointers.clear();
    for (std::string& s : text) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers.data();
}

void binary_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) ::_setmode(fd, _O_BINARY);
}

bool is_console(int fd) { return windows::is_console(handle_of(fd)); }

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

bool is_standard_output(const char* path) {
    BY_HANDLE_FILE_INFORMATION out, target;
    if (!GetFileInformationByHandle(handle_of(1), &out)) return false;  // a console or a pipe: no file of a name
    const HANDLE h = CreateFileW(windows::wide_path(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool got = GetFileInformationByHandle(h, &target) != 0;
    CloseHandle(h);
    return got && target.dwVolumeSerialNumber == out.dwVolumeSerialNumber &&
           target.nFileIndexHigh == out.nFileIndexHigh && target.nFileIndexLow == out.nFileIndexLow;
}

void survive_file_size_limit() {}

}  // namespace versos::program
