// Keyed file coding: codings that turn a file into another of the same
// length with a key, and back with the same key. They keep data from a casual
// reader; they are not encryption.
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
// that succeeded (below); 0 means that nothing was produced, as when the
// target is the source itself (also through a link or another name of it).
VERSOS_UTIL_EXPORT int codexef_(const char* source, const char* target, const char* key);
VERSOS_UTIL_EXPORT int dcodexef_(const char* source, const char* target, const char* key);
VERSOS_UTIL_EXPORT int codexebisf_(const char* source, const char* target, const char* key);
VERSOS_UTIL_EXPORT int decodexebisf_(const char* source, const char* target, const char* key);

// The pipelines' result flags: the coding pipelines' steps, the decoding
// ones' in brackets.
inline constexpr int codexe_ceros = 1;           // the source (the decoded file) holds a zero byte
inline constexpr int codexe_comprimido = 2;      // compressed into the intermediate file (decompressed into the target)
inline constexpr int codexe_codificado = 4;      // coded into the target (decoded into the intermediate file)
inline constexpr int codexe_limpio = 8;          // the intermediate file removed, or renamed or moved onto the target
inline constexpr int codexe_sin_comprimir = 16;  // codexebisf_: coded without compression

// The complete results, every step of the path taken done.
// 15: compressed and coded; decoded and decompressed.
inline constexpr int codexe_completo = codexe_ceros | codexe_comprimido | codexe_codificado | codexe_limpio;
// 4: codexef_ of a source without zero bytes, coded as it is.
inline constexpr int codexe_solo_codificado = codexe_codificado;
// 20: codexebisf_ of a source without zero bytes, coded as it is.
inline constexpr int codexebis_solo_codificado = codexe_codificado | codexe_sin_comprimir;
// 12: dcodexef_ and decodexebisf_ of a file coded without compression.
inline constexpr int dcodexe_solo_decodificado = codexe_codificado | codexe_limpio;

// Moves source to target: 1 when the target holds it and the source is gone,
// else 0. Where a copy would be renamed into place (one file system; a new
// target, a regular file of one name, or the file a link names), the source
// is renamed there, with the permissions a copy would have had. Elsewhere it
// is copied, and removed only if it did not change while it was copied (its
// size, modification and change times on its open descriptor): otherwise it
// stays, the target holds the copy, and the result is 0. Only a regular file
// is moved: a device, a FIFO, a socket, a folder or a symbolic link as the
// source gives 0 and stays as it was.
VERSOS_UTIL_EXPORT int movef_(const char* source, const char* target);
// Copies source to target (created or truncated): 1 when done, 0 if either
// file can't be opened, the source can't be read or the target written. The
// holes of a sparse source stay holes.
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
