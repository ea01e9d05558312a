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

// One read or write at `offset`, leaving the file's position as it was,
// retried after EINTR: the count (0 at the end of the file), or -1 on an
// error. It may move fewer bytes than asked.
std::ptrdiff_t pread_some(int fd, void* buf, std::size_t size, std::uint64_t offset);
std::ptrdiff_t pwrite_some(int fd, const void* data, std::size_t size, std::uint64_t offset);

// Writes all `size` bytes, waiting where the descriptor is non-blocking and
// full: false on an error. Async-signal-safe.
bool write_all(int fd, const void* data, std::size_t size);
bool pwrite_all(int fd, const void* data, std::size_t size, std::uint64_t offset);

// Whether a read of fd would wait for input: false when data, the end of the
// input or an error is there to be read at once.
bool read_would_wait(int fd);
// Waits until a read of fd would not wait (a descriptor another process left
// non-blocking and empty).
void wait_readable(int fd);

// Takes disk room for [offset, offset + length) of a regular file without
// changing its length or its bytes: 0, or the errno (EOPNOTSUPP where the
// file system can't reserve room).
int reserve_room(int fd, std::uint64_t offset, std::uint64_t length);
// Makes [offset, offset + length) of a regular file read as zeros, giving
// back its room, without changing its length: 0, or the errno.
int punch_hole(int fd, std::uint64_t offset, std::uint64_t length);
// The next stretch of data of a regular file at or after `from`, past any
// hole: true with [start, end), false when only holes (or nothing) follow.
// Where holes can't be told, the rest of the file is one stretch (end is
// then UINT64_MAX). Moves the file's position.
bool next_data(int fd, std::uint64_t from, std::uint64_t& start, std::uint64_t& end);

}  // namespace versos::posix_io
