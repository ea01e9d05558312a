#include "capture_system.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

namespace versos::capture_system {
namespace {

constexpr int kStandardError = 2;

// Moves fd above the standard three (the lowest free descriptor may be one
// of them, if it was closed), so that closing ours never closes one of them.
int above_standard(int fd) {
    int low[3];
    int lows = 0;
    while (fd >= 0 && fd <= kStandardError && lows < 3) {
        low[lows++] = fd;
        fd = ::_dup(fd);
    }
    for (int i = 0; i < lows; ++i) ::_close(low[i]);
    return fd;
}

}  // namespace

int make_capture_file() {
    wchar_t folder[MAX_PATH + 2];
    const DWORD n = GetTempPathW(MAX_PATH + 2, folder);
    if (n == 0 || n > MAX_PATH + 1) return -1;
    std::mt19937 draw{std::random_device{}() ^ GetCurrentProcessId()};
    for (int tries = 0; tries < 100; ++tries) {
        const std::wstring path = std::wstring(folder, n) + L"versos-prints-" + std::to_wstring(draw());
        // Deleted when its last handle closes, at the end or if the
        // program dies; no other program may open it meanwhile.
        const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;
            return -1;
        }
        // Binary: what the program prints is captured as its bytes, as on
        // POSIX systems, with no CR before each LF.
        const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDWR | _O_BINARY | _O_NOINHERIT);
        if (fd < 0) {
            CloseHandle(h);
            return -1;
        }
        return above_standard(fd);
    }
    return -1;
}

int duplicate_above_standard(int fd) {
    if (::_get_osfhandle(fd) == -1) {
        errno = EBADF;
        return -1;
    }
    return above_standard(::_dup(fd));
}

bool put_on(int fd, int target) { return ::_dup2(fd, target) == 0; }

void close_descriptor(int fd) { ::_close(fd); }

std::int64_t file_size(int fd) {
    const long long size = ::_filelengthi64(fd);
    return size > 0 ? size : 0;
}

int buffering_of_stdout() {
    // The runtime buffers a stream fully or not at all; a console's output
    // is unbuffered until it is given a buffer.
    if (stdout->_flag & _IONBF) return _IONBF;
    return _IOFBF;
}

}  // namespace versos::capture_system
