// Whole lines from a stream into fixed buffers: one line into a buffer of
// the library's own, or a stream's bytes up to 20,480 into the caller's.
#pragma once

#include <versos/util/export.h>

#include <cstdio>

namespace versos {

// The 512-byte buffer of lineinput_: null until its first call, then kept
// for the life of the process.
VERSOS_UTIL_EXPORT extern char* __LINEINPUT_STR_;

// The next line, without its line feed (a carriage return before it stays),
// in __LINEINPUT_STR_, valid until the next call. A line of more than 511
// bytes gives its first 511; the rest stays in the stream for the next
// call. A stream at its end (its end-of-file indicator set) gives the empty
// text. Null if the buffer can't be obtained.
VERSOS_UTIL_EXPORT char* lineinput_(std::FILE* stream);

// The stream's bytes, up to 20,480 of them, with every line feed stored as a
// NUL and a NUL after the last place used: `buffer` must hold 20,481 bytes.
// Reading stops at the end of the stream, or when it fails. Returns a
// pointer to that last NUL.
VERSOS_UTIL_EXPORT char* line_input_(char* buffer, std::FILE* stream);

}  // namespace versos
