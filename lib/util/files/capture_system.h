// What the output capture asks of the system, on descriptors of the C
// runtime: capture_system.cpp on POSIX systems (dup, dup2, mkostemp),
// capture_system_windows.cpp on Windows (_dup, _dup2, a file in the user's
// temporary folder).
#pragma once

#include <cstdint>

namespace versos::capture_system {

// Standard output's descriptor (1).
inline constexpr int kStandardOutput = 1;

// A new, empty file of its own for the capture, open for reading and
// writing, that nothing else can reach and that goes when closed; its
// descriptor is above the standard three. -1 on failure.
int make_capture_file();
// A duplicate of fd above the standard three; -1 with errno EBADF when fd
// is closed, -1 otherwise on a failure.
int duplicate_above_standard(int fd);
// dup2: false on failure.
bool put_on(int fd, int target);
void close_descriptor(int fd);
std::int64_t file_size(int fd);
// How stdout buffers (_IONBF, _IOLBF, _IOFBF); before its first output, how
// stdio will choose.
int buffering_of_stdout();

}  // namespace versos::capture_system
