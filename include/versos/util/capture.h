// Capturing what the program prints on standard output into a string.
//
//     openprints_();                 // standard output now goes to a capture
//     std::printf("abc");
//     prints_(text);                 // text holds "abc"
//     std::printf("de");
//     prints_(text);                 // text holds "abcde"
//     closeprints_();                // standard output is back as it was
//
// The capture is a private temporary file made with mkstemp in TMPDIR (or
// /tmp) and removed at once, so that no file is ever left behind, not even
// when the program is killed. Standard output's descriptor is pointed at it
// and put back by closeprints_ whatever it was (a terminal, a pipe, a file,
// or closed); the stream keeps its buffering (line-buffered on a terminal).
// What a child process or a write(2) on descriptor 1 prints is captured too,
// but the library can't see those writes: where the full disk (or a
// file-size limit) refuses them, nothing reports it, and prints_ returns 1
// with the text that got there. Only what passes through stdout is checked.
#pragma once

#include <versos/util/export.h>

#include <cstddef>
#include <cstdio>

namespace versos {

// The stream that is standard output while capturing and after: stdout.
// Null before the first openprints_.
VERSOS_UTIL_EXPORT extern std::FILE* __FICHERO_TEMPORAL_;
// The 512-byte buffer through which the captured text is read back; obtained
// by the first openprints_ and kept for the life of the process.
VERSOS_UTIL_EXPORT extern char* __ACUMULADOR_;
// 0 after openprints_, 1 once prints_ (or printsn_) has delivered text.
VERSOS_UTIL_EXPORT extern unsigned char __PRINTS_BANDERA_;

// Starts capturing: 0, or 1 when the capture file or the buffer can't be
// obtained (nothing changes then). What was printed before is flushed where
// it was going, and standard output's error indicator is cleared. While capturing it starts the capture
// again, dropping what was not delivered.
VERSOS_UTIL_EXPORT int openprints_();

// Delivers everything printed since the previous delivery (or since
// openprints_), however long: the first time after openprints_ it replaces
// the target's text, later it is appended to it. The target must hold all
// text printed since openprints_ and its NUL; when that can't be known, use
// printsn_. Returns 1; 0 without a capture (the target is not touched).
//
// When the capture file could not take everything printed (a full disk, a
// file-size limit), what it kept is delivered, the text up to the first byte
// lost, and the result is 0; so it stays until the capture ends or starts
// again. (A caller that sets a file-size limit should ignore SIGXFSZ, so that
// such a write fails instead of ending the process.)
VERSOS_UTIL_EXPORT int prints_(char* target);

// The same, writing no more than `size` bytes into the target, its NUL
// included: what does not fit stays for the next delivery. Returns 1 when
// everything printed so far is delivered, 2 when the target is full and text
// waits, 0 without a capture or with a size of 0 (nothing is touched), and 0
// when text was lost as prints_ says (what was kept is delivered).
VERSOS_UTIL_EXPORT int printsn_(char* target, std::size_t size);

// Ends capturing: standard output is the one there was before openprints_,
// with its buffering, and what was not delivered is dropped. 0, or 1 when
// there was no capture or standard output could not be put back.
VERSOS_UTIL_EXPORT int closeprints_();

}  // namespace versos
