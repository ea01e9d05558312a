// Whole reads and writes on the C runtime's descriptors of Windows. The
// positioned ones go through the descriptor's handle with an explicit
// offset, and put the handle's position back after: a duplicate of the
// descriptor (standard output during a capture) shares that position.
#include "posix_io.h"
#include "windows_names.h"

#include <io.h>
#include <windows.h>

#include <cerrno>
#include <climits>

namespace versos::posix_io {
namespace {

// The most one call moves: the C runtime counts in unsigned int, Windows in
// DWORD.
constexpr std::size_t kMostAtOnce = 1u << 30;

HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

// One positioned transfer: the count, or -1 with errno set; the handle's
// position is left as it was.
template <class Transfer>
std::ptrdiff_t at_offset(int fd, std::uint64_t offset, Transfer&& transfer) {
    const HANDLE h = handle_of(fd);
    if (h == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return -1;
    }
    LARGE_INTEGER here{};
    const bool positioned = SetFilePointerEx(h, LARGE_INTEGER{}, &here, FILE_CURRENT) != 0;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD moved = 0;
    const bool ok = transfer(h, &moved, &at);
    const DWORD error = ok ? 0 : GetLastError();
    if (positioned) SetFilePointerEx(h, here, nullptr, FILE_BEGIN);
    if (ok || error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE) return static_cast<std::ptrdiff_t>(moved);
    errno = windows::errno_from_windows(error);
    return -1;
}

}  // namespace

std::ptrdiff_t read_some(int fd, void* buf, std::size_t size) {
    const int n = ::_read(fd, buf, static_cast<unsigned>(size < kMostAtOnce ? size : kMostAtOnce));
    return n;
}

std::ptrdiff_t pread_some(int fd, void* buf, std::size_t size, std::uint64_t offset) {
    const DWORD want = static_cast<DWORD>(size < kMostAtOnce ? size : kMostAtOnce);
    return at_offset(fd, offset,
                     [&](HANDLE h, DWORD* moved, OVERLAPPED* at) { return ReadFile(h, buf, want, moved, at) != 0; });
}

std::ptrdiff_t pwrite_some(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    const DWORD want = static_cast<DWORD>(size < kMostAtOnce ? size : kMostAtOnce);
    return at_offset(fd, offset,
                     [&](HANDLE h, DWORD* moved, OVERLAPPED* at) { return WriteFile(h, data, want, moved, at) != 0; });
}

bool write_all(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const int n = ::_write(fd, p, static_cast<unsigned>(size < kMostAtOnce ? size : kMostAtOnce));
        if (n < 0) return false;
        if (n == 0) {  // the C runtime's word for a full disk
            errno = ENOSPC;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool read_would_wait(int fd) {
    const HANDLE h = handle_of(fd);
    switch (GetFileType(h)) {
        case FILE_TYPE_DISK:
            return false;
        case FILE_TYPE_PIPE: {
            DWORD available = 0;
            // A pipe whose writer is gone reads its end at once.
            if (!PeekNamedPipe(h, nullptr, 0, nullptr, &available, nullptr)) return false;
            return available == 0;
        }
        default:
            return true;  // a console waits for a person
    }
}

// Windows gives the C runtime's descriptors no non-blocking mode: a read
// that finds nothing waits by itself.
void wait_readable(int) {}

// Room is not reserved ahead and holes are not made or looked for here: the
// writes find out about a full disk, and a file is one stretch of data.
int reserve_room(int, std::uint64_t, std::uint64_t) { return EOPNOTSUPP; }
int punch_hole(int, std::uint64_t, std::uint64_t) { return EOPNOTSUPP; }

bool next_data(int fd, std::uint64_t from, std::uint64_t& start, std::uint64_t& end) {
    const __int64 size = ::_filelengthi64(fd);
    if (size >= 0 && from >= static_cast<std::uint64_t>(size)) return false;
    if (::_lseeki64(fd, static_cast<__int64>(from), SEEK_SET) < 0) return false;
    start = from;
    end = UINT64_MAX;
    return true;
}

}  // namespace versos::posix_io
