// String routines on NUL-terminated byte strings.
//
// Nearly everything works in place in the caller's buffers. A routine that
// lengthens a text assumes the buffer has room for the result; none of them
// keeps state between calls.
//
// Positions: routines with "abs" in their name and the substring routines
// (mid_, mid2end_, solomid2end_, qdupn_) count from 1; instrn_ and the start
// index of quitastr_, cmbstr_ and cmbstrn_ count from 0.
//
// A blank, for the trims, is a byte from 0x01 to 0x20; bytes from 0x80 up are
// never blanks.
#pragma once

#include <versos/util/export.h>

#include <cstdint>

namespace versos {

// Length, copy, concatenation ------------------------------------------------

VERSOS_UTIL_EXPORT int lencadena_(const char* text);
VERSOS_UTIL_EXPORT int strlen_(const char* text);
VERSOS_UTIL_EXPORT int len_(const char* text);

// Copy the source into the target (they may overlap).
VERSOS_UTIL_EXPORT void cpy_(char* target, const char* source);
VERSOS_UTIL_EXPORT void strcpy_(char* target, const char* source);

// Append the source to the target.
VERSOS_UTIL_EXPORT void cat_(char* target, const char* source);
VERSOS_UTIL_EXPORT void strcat_(char* target, const char* source);

// Put the prefix in front of the text, in place. The prefix may be part of
// the text itself.
VERSOS_UTIL_EXPORT void catleft_(char* text, const char* prefix);

// Substrings -----------------------------------------------------------------

// The first n characters of the source (all of them if fewer); empty for n <= 0.
VERSOS_UTIL_EXPORT void left_(const char* source, char* target, int n);
// The last n characters of the source (all of them if fewer); empty for n <= 0.
VERSOS_UTIL_EXPORT void right_(const char* source, char* target, int n);
// Characters at positions from..to inclusive, stopping at the source's end;
// empty if from <= 0, to <= 0 or to < from.
VERSOS_UTIL_EXPORT void mid_(const char* source, char* target, int from, int to);
// Characters from position from to the end; empty unless 1 <= from <= length.
VERSOS_UTIL_EXPORT void mid2end_(const char* source, char* target, int from);

// Cut the text to its first n characters. An n at or beyond the length
// leaves the text alone; n <= 0 empties it.
VERSOS_UTIL_EXPORT void sololeft_(char* text, int n);
// Move the characters from position from to the start, in place: the same
// result as mid2end_(text, text, from).
VERSOS_UTIL_EXPORT void solomid2end_(char* text, int from);

// n copies of the character followed by a NUL (only the NUL for n <= 0).
VERSOS_UTIL_EXPORT void rellenastr(char* buffer, char c, int n);

// Reversal -------------------------------------------------------------------

VERSOS_UTIL_EXPORT void revstr_(char* text);
// A new reversed copy from the heap; release it with std::free. If that copy
// can't be obtained, an empty text from the heap (also released with
// std::free); null only when not even one byte can be obtained.
VERSOS_UTIL_EXPORT char* revstr(const char* text);

// Blanks and case ------------------------------------------------------------

// Pointer to the first character that is not a space, tab, line feed or
// carriage return; the text is not changed.
VERSOS_UTIL_EXPORT char* ltrim(char* text);
VERSOS_UTIL_EXPORT const char* ltrim(const char* text);

VERSOS_UTIL_EXPORT void ltrim_(char* text);
VERSOS_UTIL_EXPORT void rtrim_(char* text);
VERSOS_UTIL_EXPORT void trim_(char* text);

// ASCII letters to upper or lower case in place; other bytes unchanged.
VERSOS_UTIL_EXPORT void mayuscula_(char* text);
VERSOS_UTIL_EXPORT void minuscula_(char* text);

// Lower or upper case of one character: ASCII letters plus the pairs of code
// page 850 é/É 130/144, ü/Ü 129/154, ñ/Ñ 164/165, á/Á 160/181, í/Í 161/214,
// ó/Ó 162/224, ú/Ú 163/233. The character may be given as an unsigned byte
// value (0 to 255) or as a signed char value (-128 to -1); the result comes
// back in the same form. Every other value is returned unchanged.
VERSOS_UTIL_EXPORT int lcasechr_(int c);
VERSOS_UTIL_EXPORT int ucasechr_(int c);

// The source converted character by character into the target (they may be
// the same buffer).
VERSOS_UTIL_EXPORT void lcasestr_(char* target, const char* source);
VERSOS_UTIL_EXPORT void ucasestr_(char* target, const char* source);

// Search and comparison ------------------------------------------------------

// 0-based index of the first occurrence of part at or after index start
// (a negative start counts as 0); -1 if none. An empty part matches at the
// first allowed index of a non-empty text.
VERSOS_UTIL_EXPORT int instrn_(const char* text, const char* part, int start);
// 1-based position of the first occurrence; 0 if none.
VERSOS_UTIL_EXPORT int instrabs_(const char* text, const char* part);
// 1-based position of the first occurrence at or after position from; 0 if
// none or if from <= 0.
VERSOS_UTIL_EXPORT int instrabsn_(const char* text, const char* part, int from);

// 1 if the two texts are equal, 0 if not (not an ordering).
VERSOS_UTIL_EXPORT int igualstr_(const char* a, const char* b);
VERSOS_UTIL_EXPORT int strcmp_(const char* a, const char* b);

// Replacement and removal ----------------------------------------------------

// Replace every occurrence of the character old by new.
VERSOS_UTIL_EXPORT void cambiachar_(char* text, char old_char, char new_char);
// Remove every occurrence of the character.
VERSOS_UTIL_EXPORT void quitachar(char* text, char c);
// Remove every occurrence of every character of the set.
VERSOS_UTIL_EXPORT void quitavarioschar_(char* text, const char* set);
// Collapse every run of the character into one.
VERSOS_UTIL_EXPORT void qdup_(char* text, char c);
// Collapse the runs of the character that lie within positions from..to
// (1-based, inclusive); the text before from and after to is untouched, and a
// run that crosses from or to keeps one character on each side of the edge.
// Nothing happens if from <= 0, to <= 0 or to < from; to beyond the end
// stops at the end. Returns the number of characters removed.
VERSOS_UTIL_EXPORT int qdupn_(char* text, char c, int from, int to);
// trim_ the text, then collapse every run of the character into one.
VERSOS_UTIL_EXPORT void crunch_(char* text, char c);
// Remove every later repetition of each character, keeping first occurrences
// in their order.
VERSOS_UTIL_EXPORT void sindupstr_(char* text);
VERSOS_UTIL_EXPORT void sindupstrbis_(char* text);

// Remove every occurrence of part found at or after index start (0-based).
// An empty part removes nothing.
VERSOS_UTIL_EXPORT void quitastr_(char* text, const char* part, int start);

// Replace occurrences of old by new until none is left, searching again from
// the start after each replacement (so a match formed by the replacement and
// its neighbours is replaced too). When new itself contains old, that would
// never end: then every occurrence in the original text is replaced once,
// from left to right, and the replacement text is not searched again.
// Returns -1 when done, 0 at once (text unchanged) if any of the three is
// empty. The text's buffer must hold the result.
VERSOS_UTIL_EXPORT int cambiastr_(char* text, const char* old_text, const char* new_text);

// Replace every occurrence of old found at or after index start by new, in
// one pass from left to right; replacement text is never searched again.
// An empty old, or a start beyond the text, changes nothing. The text's
// buffer must hold the result.
VERSOS_UTIL_EXPORT void cmbstr_(char* text, const char* old_text, const char* new_text, int start);
// As cmbstr_, but replaces at most n occurrences (every one if n is
// negative). Returns n minus the replacements made, or -1 if the work buffer
// can't be obtained (the text is then unchanged).
VERSOS_UTIL_EXPORT int cmbstrn_(char* text, const char* old_text, const char* new_text, int start, int n);

// Numbers in text ------------------------------------------------------------

// The decimal sum of the digit strings a and b in result. The shorter of a and
// b is padded in place with leading zeros to the length L of the longer (its
// buffer must hold L + 1 bytes) and every non-digit of a and b becomes "0", in
// place. The result has L digits, or L + 1 when the last carry is 1; leading
// zeros of the inputs stay (007 plus 1 gives 008). result may be a or b.
VERSOS_UTIL_EXPORT void sumastr_(char* result, char* a, char* b);

// The decimal digits of a byte value, without leading zeros.
VERSOS_UTIL_EXPORT void uchar2str_(unsigned char value, char* target);

// Value of a hexadecimal (octal) text; 0 for a text holding any other
// character. The value is taken modulo 2^32 and read as a signed 32-bit
// number: up to 7 hex (10 octal) digits it is exact, ffffffff gives -1.
VERSOS_UTIL_EXPORT std::int64_t hex2dec_(const char* text);
VERSOS_UTIL_EXPORT std::int64_t oct2dec_(const char* text);

// Floating point ------------------------------------------------------------

// Square root by Newton's iteration from r = x. x = 0 gives 0; a negative x
// or NaN gives NaN; infinity gives infinity. Should the iteration settle on
// two neighbouring values in turn, the smaller one is the result.
VERSOS_UTIL_EXPORT double raiz_(double x);
VERSOS_UTIL_EXPORT double cuadrado_(double x);
VERSOS_UTIL_EXPORT double cubo_(double x);

}  // namespace versos
