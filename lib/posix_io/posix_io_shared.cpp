// What the descriptor routines build on the single calls, the same on every
// system (read_some, pread_some and pwrite_some themselves: posix_io.cpp,
// posix_io_windows.cpp).
#include <cerrno>

#include "posix_io.h"

namespace versos::posix_io {
namespace {

// Calls read_at(p, n, got) for the rest of `size` bytes until they are in or
// it gives 0 (the end of the file): the count, or -1 on an error.
template <class ReadAt>
std::ptrdiff_t fill(void* buf, std::size_t size, ReadAt&& read_at) {
    auto* p = static_cast<char*>(buf);
    std::size_t got = 0;
    while (got < size) {
        const std::ptrdiff_t n = read_at(p + got, size - got, got);
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<std::ptrdiff_t>(got);
}

}  // namespace

std::ptrdiff_t read_full(int fd, void* buf, std::size_t size) {
    return fill(buf, size, [fd](char* p, std::size_t n, std::size_t) { return read_some(fd, p, n); });
}

std::ptrdiff_t pread_full(int fd, void* buf, std::size_t size, std::uint64_t offset) {
    return fill(buf, size,
                [fd, offset](char* p, std::size_t n, std::size_t got) { return pread_some(fd, p, n, offset + got); });
}

bool pwrite_all(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const std::ptrdiff_t n = pwrite_some(fd, p, size, offset);
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;  // nothing taken: no room for it
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

}  // namespace versos::posix_io
