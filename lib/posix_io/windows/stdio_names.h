// The POSIX stdio and time calls the library uses, on the Windows C runtime:
// its stream lock and the calls that assume it is held, and the thread-safe
// local time.
#pragma once

#include <cstdio>
#include <ctime>

inline void flockfile(std::FILE* stream) { _lock_file(stream); }
inline void funlockfile(std::FILE* stream) { _unlock_file(stream); }
inline int getc_unlocked(std::FILE* stream) { return _getc_nolock(stream); }
// The runtime reads both flags without its lock.
inline int feof_unlocked(std::FILE* stream) { return std::feof(stream); }
inline int ferror_unlocked(std::FILE* stream) { return std::ferror(stream); }
