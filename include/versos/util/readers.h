// Readers of lines, paragraphs and words from text streams, and a word count.
//
// The readers take bytes one at a time from a buffered stream (the stream is
// locked once per call). Each starts by emptying the target; the byte that
// ends a line is consumed and not stored. At the end of the stream they give
// the empty text: the end is not reported otherwise.
//
// Bounds: only fgetsn_ takes the size of its target. fgetline_, gets_,
// fgets_, ltrimfgets_, rtrimfgets_, trimfgets_, fgetword_ and getParrafo_
// store a whole line (word, paragraph) however long it is: the caller's
// buffer must hold the longest one that can come, plus its NUL.
//
// A blank is a byte from 0x01 to 0x20; bytes from 0x80 up are never blanks.
// The "length" results count the bytes stored before the terminating NUL.
#pragma once

#include <versos/util/export.h>

#include <cstdint>
#include <cstdio>

namespace versos {

// One line; it ends at a line feed or the end of the stream; carriage returns
// are dropped wherever they are. An empty line gives the empty text.
VERSOS_UTIL_EXPORT int fgetline_(char* target, std::FILE* stream);
VERSOS_UTIL_EXPORT int fgets_(char* target, std::FILE* stream);
// The same from standard input.
VERSOS_UTIL_EXPORT int gets_(char* target);

// The next line with content: line feeds and carriage returns before it are
// skipped; the line ends at a line feed, a carriage return or the end of the
// stream. At most size - 1 bytes are stored: when the (size - 1)-th is, the
// text ends there, the rest of the line stays in the stream and the result is
// size; otherwise the result is the number of bytes stored plus 1 (1 at the
// end of the stream). A size of 1 stores the empty text and reads nothing;
// a size below 1 writes nothing and returns 0.
VERSOS_UTIL_EXPORT int fgetsn_(char* target, int size, std::FILE* stream);

// The next line with content, as fgetsn_ but unbounded, with blanks handled:
// ltrimfgets_ skips every blank before the first stored byte (so blank lines
// too); rtrimfgets_ removes the trailing blanks of the line (a line of
// blanks alone gives the empty text); trimfgets_ does both.
VERSOS_UTIL_EXPORT int ltrimfgets_(char* target, std::FILE* stream);
VERSOS_UTIL_EXPORT int rtrimfgets_(char* target, std::FILE* stream);
VERSOS_UTIL_EXPORT int trimfgets_(char* target, std::FILE* stream);

// Writes the text to the stream.
VERSOS_UTIL_EXPORT void fputs_(const char* text, std::FILE* stream);

// The next paragraph: a run of lines that are not empty after trimming, each
// trimmed and joined to the previous one by a single blank. Empty lines before
// it are skipped; the empty line after it is consumed. Returns 0. Lines are
// taken in pieces of at most 65,534 bytes: a longer line counts as several
// lines, one per piece.
VERSOS_UTIL_EXPORT int getParrafo_(char* target, std::FILE* stream);

// 1 for a word character, else 0: the ASCII letters and digits and the letters
// of Windows-1252 áéíóúñüÁÉÍÓÚÜÑ àÃÀÂÅÄåäâ ÈËÊèëê ÌÏÎìîï ÕÒÔÖõðòöô Ùùû ÆæçÇ.
// The character may be given as a signed or an unsigned char value.
VERSOS_UTIL_EXPORT int chardepalabra_(int c);

// The next word: the word characters read before the first byte that is not
// one, which is consumed and dropped. A separator first gives the empty text.
// Returns the word's length.
VERSOS_UTIL_EXPORT int fgetword_(char* target, std::FILE* stream);

// Number of words in the file: blank, line feed and tab separate words, every
// other byte belongs to one. 0 if the file can't be opened.
VERSOS_UTIL_EXPORT std::int64_t fcontpal_(const char* path);

}  // namespace versos
