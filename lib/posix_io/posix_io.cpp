#include "posix_io.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>

namespace versos::posix_io {

std::ptrdiff_t read_some(int fd, void* buf, std::size_t size) {
    ssize_t n;
    do n = ::read(fd, buf, size);
    while (n < 0 && errno == EINTR);
    return n;
}

std::ptrdiff_t pread_some(int fd, void* buf, std::size_t size, std::uint64_t offset) {
    ssize_t n;
    do n = ::pread(fd, buf, size, static_cast<off_t>(offset));
    while (n < 0 && errno == EINTR);
    return n;
}

std::ptrdiff_t pwrite_some(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    ssize_t n;
    do n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    while (n < 0 && errno == EINTR);
    return n;
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

bool read_would_wait(int fd) {
    pollfd ready{fd, POLLIN, 0};
    int n;
    do n = ::poll(&ready, 1, 0);
    while (n < 0 && errno == EINTR);
    return n == 0;
}

void wait_readable(int fd) {
    pollfd ready{fd, POLLIN, 0};
    while (::poll(&ready, 1, -1) < 0 && errno == EINTR) {
    }
}

namespace {

// fallocate(2), retried after EINTR: 0 or the errno, ENOSYS taken as
// EOPNOTSUPP (no room can be reserved either way).
int fallocate_retrying(int fd, int mode, std::uint64_t offset, std::uint64_t length) {
    if (length == 0) return 0;
    int error;
    do error = ::fallocate(fd, mode, static_cast<off_t>(offset), static_cast<off_t>(length)) == 0 ? 0 : errno;
    while (error == EINTR);
    return error == ENOSYS ? EOPNOTSUPP : error;
}

}  // namespace

int reserve_room(int fd, std::uint64_t offset, std::uint64_t length) {
    // Not posix_fallocate, which writes the room full where the file system
    // can't reserve it; and the length kept, so that a failure half-way
    // changes nothing that reads can see.
    return fallocate_retrying(fd, FALLOC_FL_KEEP_SIZE, offset, length);
}

int punch_hole(int fd, std::uint64_t offset, std::uint64_t length) {
    return fallocate_retrying(fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, offset, length);
}

bool next_data(int fd, std::uint64_t from, std::uint64_t& start, std::uint64_t& end) {
    const off_t data = ::lseek(fd, static_cast<off_t>(from), SEEK_DATA);
    if (data < 0) {
        if (errno == ENXIO) return false;  // only a hole, or nothing, from here on
        start = from;                      // holes can't be told here
        end = UINT64_MAX;
        return true;
    }
    const off_t hole = ::lseek(fd, data, SEEK_HOLE);
    start = static_cast<std::uint64_t>(data);
    end = hole < 0 ? UINT64_MAX : static_cast<std::uint64_t>(hole);
    return true;
}

}  // namespace versos::posix_io
