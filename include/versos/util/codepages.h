// Code pages and character conversion: Windows-1252 (the library's text) and
// code page 850 (the console's), Spanish lower-casing, folding of accented
// letters and HTML named entities. Every routine works on single bytes of
// NUL-terminated text.
#pragma once

#include <versos/util/export.h>

namespace versos {

// Result buffer of str2ascii_: null until the first call, then resized by
// every call to the length of its text plus 1 and never released. A result
// stays valid until the next call of str2ascii_.
VERSOS_UTIL_EXPORT extern char* __ASCII_SPANISH_STR_;

// Converts Windows-1252 text to code page 850 through the console table into
// __ASCII_SPANISH_STR_ and returns it; returns `text` itself, unconverted, if
// the buffer can't be resized. `text` may be a previous result.
VERSOS_UTIL_EXPORT const char* str2ascii_(const char* text);

// The same conversion into `target`, which may be `source` itself and must
// hold strlen(source) + 1 bytes.
VERSOS_UTIL_EXPORT void str_ascii_(char* target, const char* source);

// One character through the console table: codes below 128 (and codes that no
// entry holds) come back unchanged.
VERSOS_UTIL_EXPORT int char2ascii_(int code);

// In place, Windows-1252 to code page 850 by the published mapping; bytes 0x80
// to 0x9F other than 0x83 stay.
VERSOS_UTIL_EXPORT void win2dos(char* text);

// In place, code page 850 to Windows-1252 by the published mapping; the box
// drawing and other characters Windows-1252 lacks stay.
VERSOS_UTIL_EXPORT void dos2win(char* text);

// Lower-cases Spanish text in place (A-Z, À Á È É Ì Í Ò Ó Ù Ú Ü Ñ Ç). Returns 1
// if the text as passed in held anything but ASCII letters and digits, else 0.
VERSOS_UTIL_EXPORT int lcasespain_(char* text);

// Lower-cases in place A-Z and Á É Í Ó Ú Ñ Ü only.
VERSOS_UTIL_EXPORT void lcasespainvoid_(char* text);

// Folds accented letters to plain ASCII letters in place.
VERSOS_UTIL_EXPORT void simplificastr_(char* text);

// Writes into `target` (at least 9 bytes) the HTML 4 named entity of the
// Latin-1 character `c` (0xA1 to 0xFF, e.g. "&ntilde;"), or the empty string
// for any other character.
VERSOS_UTIL_EXPORT void car2html_(char* target, char c);

}  // namespace versos
