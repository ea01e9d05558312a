#include "posix_io.h"

#include <poll.h>
#include <unistd.h>
#include <cerrno>

namespace versos::posix_io {

std::ptrdiff_t read_some(int fd, void* buf, std::size_t size) {
    ssize_t n;
    do n = ::read(fd, buf, size);
    while (n < 0 && errno == EINTR);
    return n;
}

std::ptrdiff_t read_full(int fd, void* buf, std::size_t size) {
    auto* p = static_cast<char*>(buf);
    std::size_t got = 0;
    while (got < size) {
        const std::ptrdiff_t n = read_some(fd, p + got, size - got);
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<std::ptrdiff_t>(got);
}

std::ptrdiff_t pread_full(int fd, void* buf, std::size_t size, std::uint64_t offset) {
    auto* p = static_cast<char*>(buf);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, p + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<std::ptrdiff_t>(got);
}

bool write_all(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A descriptor another process left non-blocking (a shared
            // terminal): wait until it takes more.
            pollfd ready{fd, POLLOUT, 0};
            poll(&ready, 1, -1);
            continue;
        }
        if (n < 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool pwrite_all(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

}  // namespace versos::posix_io
