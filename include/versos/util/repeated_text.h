// Lines centred in a width, and characters repeated.
#pragma once

#include <versos/util/export.h>

#include <cstdio>

namespace versos {

// Result buffer of repchar_ and repch_: null until the first call, then
// resized by every call to its length plus 1 and never released. A result
// stays valid until the next call of either.
VERSOS_UTIL_EXPORT extern char* __REPCHAR_STR_;

// Writes (width - length) / 2 blanks when the text is shorter than `width`,
// then the text and a line feed. Returns the result of that last write
// (fprintf's).
VERSOS_UTIL_EXPORT int centralin_(const char* text, int width, std::FILE* stream);

// Writes the character (its low byte) `count` times; nothing for a count
// below 1. Returns 0.
VERSOS_UTIL_EXPORT int freputc_(int c, int count, std::FILE* stream);

// `length` copies of the text's first character, in __REPCHAR_STR_; the text
// itself if the buffer can't be resized or the length is negative.
VERSOS_UTIL_EXPORT const char* repchar_(const char* text, int length);

// `length` copies of the character, in __REPCHAR_STR_; null if the buffer
// can't be resized or the length is negative.
VERSOS_UTIL_EXPORT char* repch_(int c, int length);

}  // namespace versos
