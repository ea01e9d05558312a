// Whole reads and writes on file descriptors: a signal (EINTR) never ends
// one early, and a short count is followed by another call until the end of
// the file or of the buffer. On an error, errno says which.
#pragma once

#include <cstddef>
#include <cstdint>

namespace versos::posix_io {

// One read(2), retried after EINTR: the count, 0 at the end of the file, -1
// on an error.
std::ptrdiff_t read_some(int fd, void* buf, std::size_t size);

// Reads until `size` bytes are in or the file ends: the count (short only at
// the end of the file), or -1 on an error.
std::ptrdiff_t read_full(int fd, void* buf, std::size_t size);
std::ptrdiff_t pread_full(int fd, void* buf, std::size_t size, std::uint64_t offset);

// Writes all `size` bytes, waiting where the descriptor is non-blocking and
// full: false on an error. Async-signal-safe.
bool write_all(int fd, const void* data, std::size_t size);
bool pwrite_all(int fd, const void* data, std::size_t size, std::uint64_t offset);

}  // namespace versos::posix_io
