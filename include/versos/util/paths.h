// Windows path strings and simple file tests.
//
// A path here is a text: the directory separator is the backslash alone and
// the extension is what follows the last full stop, wherever it is. The
// routines split such texts without looking at any file system; a Linux path
// without backslashes is all "name" to them. Targets are caller's buffers
// that must hold the result.
#pragma once

#include <versos/util/export.h>

#include <cstdint>

namespace versos {

// 1-based position of the last occurrence of c in the text; 0 if absent.
VERSOS_UTIL_EXPORT int revinstrchar_(char c, const char* text);
// Number of occurrences of c in the text.
VERSOS_UTIL_EXPORT int numinstrchar_(char c, const char* text);

// The path without its directory: everything after the last backslash, or the
// whole path if there is none.
VERSOS_UTIL_EXPORT void sinruta_(char* target, const char* path);
// The directory with its final backslash: everything up to and including the
// last backslash; empty if there is none.
VERSOS_UTIL_EXPORT void soloruta_(char* target, const char* path);
// The extension without the full stop: everything after the last full stop;
// empty if there is none.
VERSOS_UTIL_EXPORT void extension_(char* target, const char* path);
// The name without directory and without extension (what sinruta_ gives, up
// to its last full stop).
VERSOS_UTIL_EXPORT void solonombre_(char* target, const char* path);

// A file name that names nothing existing, in the path's directory, made of
// the path's name and the extension ext: first NAME.EXT, then NAME_01.EXT,
// NAME_02.EXT, ..., NAME_09.EXT, NAME_10.EXT, ... (the full stop is not
// doubled when ext begins with one). Returns 0 with the name in target; the
// name was free when it was tested, so a caller racing other writers should
// still create it exclusively. If every number up to INT_MAX is taken, the
// target is left empty and the result is -1.
VERSOS_UTIL_EXPORT int hazFichNuevo_(const char* path, char* target, const char* ext);

// 1 if the file can be opened for reading, else 0. A directory is not a file.
VERSOS_UTIL_EXPORT int existfile_(const char* path);
// The file's length in bytes; 0 if it can't be opened.
VERSOS_UTIL_EXPORT std::int64_t filelen_(const char* path);
// 1 if the file begins with the two bytes "MZ", 0 if not, -1 if it can't be
// opened.
VERSOS_UTIL_EXPORT int isexe_(const char* path);

// The value of the environment variable TEMP, or the empty text if it is not
// set.
VERSOS_UTIL_EXPORT void foldertemp_(char* target);
// foldertemp_, then a backslash, then the name.
VERSOS_UTIL_EXPORT void fichtemp_(char* target, const char* name);

}  // namespace versos
