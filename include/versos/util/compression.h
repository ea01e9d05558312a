// Zero-run file compression: two headerless formats that replace runs of zero
// bytes by short byte sequences, a zero test, saving estimates and a report
// of run lengths. Every routine works on whole files named by path.
//
// The formats are written down in doc/zero-run-formats.md of the sources.
//
// File names are UTF-8 on every system. On Windows each becomes UTF-16 at
// the system call, so that a name like canción.txt works whatever
// the system's code page; a name that is not valid UTF-8 is read as
// Windows-1252.
#pragma once

#include <versos/util/export.h>

namespace versos {

// Encoders and decoders: 1 when done; 0 if the source or the target can't be
// opened, the source can't be read or the target can't be written. The
// source is opened first: if it can't be, the target is not touched. The
// target is created or truncated; one that is the source itself is refused.
VERSOS_UTIL_EXPORT int comprexe_(const char* source, const char* target);
VERSOS_UTIL_EXPORT int dcomprexe_(const char* source, const char* target);
VERSOS_UTIL_EXPORT int comprexebis_(const char* source, const char* target);
VERSOS_UTIL_EXPORT int dcomprexebis_(const char* source, const char* target);

// 1 if the file holds a zero byte, 0 if it holds none (an empty file
// included), -1 if it can't be opened or read.
VERSOS_UTIL_EXPORT int tienecerosf_(const char* path);

// Bytes that compressing the file would save, by the estimate of each
// format (a run of n zeros adds s(n), which may be negative); -1 if the file
// can't be opened or read. A file whose runs add up to -1 gives -1 too. The
// totals saturate at the limits of int.
//   zero-run format:  s(n) = floor(n / 256) * 254 + n mod 256 - 2
//   extended format:  s(n) = n minus the bytes the run takes in that format
VERSOS_UTIL_EXPORT int cerosahorradosf_(const char* path);
VERSOS_UTIL_EXPORT int cerosahorradosbisf_(const char* path);  // same value as cerosahorradosf_
VERSOS_UTIL_EXPORT int cerosahorradosplusf_(const char* path);
VERSOS_UTIL_EXPORT int cerosahorradosplusf1_(const char* path);  // same value as cerosahorradosplusf_

// Prints on standard output how many runs of each length below 1024 the file
// holds (lengths without runs are left out), how many of 1024 or more, and
// the longest, then returns 0. -1 if the file can't be opened or read, with
// nothing printed.
VERSOS_UTIL_EXPORT int numcerosmatf_(const char* path);

}  // namespace versos
