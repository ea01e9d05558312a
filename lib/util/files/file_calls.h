// The calls on an open file that the file routines make alike on every
// system (file_io_shared.cpp), each system's own beside it: file_io.cpp on
// POSIX systems, file_io_windows.cpp on Windows. close_quietly and
// rewound_copy, built on the others, are file_io_shared.cpp's.
#pragma once

#include <cstdint>

namespace versos::fileio::sys {

// Closes fd, if open, ignoring a failure; fd becomes -1.
void close_quietly(int& fd);
// Closes fd: false, with errno, when the close reports a failure.
bool close_file(int fd);
// A duplicate of fd (on POSIX systems, closed on exec); -1, with errno.
int duplicate(int fd);
// Sets the file's position: false, with errno.
bool seek_to(int fd, std::uint64_t at);
// A duplicate of fd, set at the start of the file; -1, with errno.
int rewound_copy(int fd);
// Sets the file's length, cutting or extending it: false, with errno.
bool cut_to(int fd, std::uint64_t size);
// The file's position, or -1 with errno.
std::int64_t position(int fd);
// The size of the regular file open as fd; 0 for anything else.
std::uint64_t regular_size(int fd);
// Takes disk room for the file's first `size` bytes before they are
// written: the errno where the room is certainly not there, else 0 (also
// where the file system can't take room ahead: the writes find out).
int take_room(int fd, std::uint64_t size);
// Renames `from` onto `to`, replacing what is there at once: 0, or the errno.
int rename_over(const char* from, const char* to);

}  // namespace versos::fileio::sys
