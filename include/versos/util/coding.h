// Keyed file coding: codings that turn a file into another of the same
// length with a key, and back with the same key. They keep data from a casual
// reader; they are not encryption.
//
// File names are UTF-8 on every system. On Windows each becomes UTF-16 at
// the system call, so that a name like canción.txt works whatever
// the system's code page; a name that is not valid UTF-8 is read as
// Windows-1252.
//
// A key is a NUL-terminated byte string of at least one byte: an empty key is
// refused (result 0, no file touched). The byte at offset k of a file is coded
// with key byte k mod (key length).
#pragma once

#include <versos/util/export.h>

namespace versos {

// Cyclic XOR with the key; its own inverse. 1 when done; 0 if the key is
// empty, the source or the target can't be opened, the source can't be read
// or the target can't be written. codef1_ writes the same bytes as codef_.
VERSOS_UTIL_EXPORT int codef_(const char* source, const char* target, const char* key);
VERSOS_UTIL_EXPORT int codef1_(const char* source, const char* target, const char* key);

// XOR with the working key (see expandeclave_), then a rotation to the right
// by an amount that the next working-key byte gives; decodebitf_ undoes it.
// Results as codef_, and 0 when the working key's buffer can't be obtained.
VERSOS_UTIL_EXPORT int codebitf_(const char* source, const char* target, const char* key);
VERSOS_UTIL_EXPORT int decodebitf_(const char* source, const char* target, const char* key);

// Compress-then-code pipelines. codexef_ compresses a source that holds a
// zero byte in the zero-run format and XOR-codes the result with the key;
// a source without zeros is XOR-coded as it is. dcodexef_ undoes it.
// codexebisf_ and decodexebisf_ do the same with the extended zero-run format
// and the working key. The result is a byte of flags, one for each step
// that succeeded (doc/keyed-coding.md of the sources lists them): complete
// results are codexef_ 15 or 4, codexebisf_ 15 or 20, dcodexef_ and
// decodexebisf_ 15 or 12; 0 means that nothing was produced, as when the
// target is the source itself (also through a link or another name of it).
VERSOS_UTIL_EXPORT int codexef_(const char* source, const char* target, const char* key);
VERSOS_UTIL_EXPORT int dcodexef_(const char* source, const char* target, const char* key);
VERSOS_UTIL_EXPORT int codexebisf_(const char* source, const char* target, const char* key);
VERSOS_UTIL_EXPORT int decodexebisf_(const char* source, const char* target, const char* key);

// Copies source to target (created or truncated) and removes the source:
// 1 if both succeeded, else 0 (the source stays when the copy failed). Only a
// regular file is moved: a device, a FIFO, a socket, a folder or a symbolic
// link as the source gives 0 and stays as it was.
VERSOS_UTIL_EXPORT int movef_(const char* source, const char* target);
// Copies source to target (created or truncated): 1 when done, 0 if either
// file can't be opened, the source can't be read or the target written.
VERSOS_UTIL_EXPORT int copyf_(const char* source, const char* target);

// c rotated right (rbitchar_) or left (lbitchar_) by n bit places; n <= 0
// and multiples of 8 give c back.
VERSOS_UTIL_EXPORT int rbitchar_(unsigned char c, int n);
VERSOS_UTIL_EXPORT int lbitchar_(unsigned char c, int n);

// The key-expansion step of codebitf_, decodebitf_, codexebisf_ and
// decodexebisf_ (doc/keyed-coding.md): fills buffer, which must hold 14 * L
// bytes for a key of L >= 1 bytes, with the NUL-terminated working key,
// 14 * L - 1 bytes none of which is NUL, a function of the key alone.
// Returns its length, or 0 for an empty key (buffer untouched).
VERSOS_UTIL_EXPORT int expandeclave_(const char* key, char* buffer);

}  // namespace versos
