// UTF-16, the Windows system calls' encoding, against the library's own
// texts: Windows-1252 (fragments) and UTF-8 (names, messages, output).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace versos::charsets {

// The UTF-16 form of `length` Windows-1252 bytes, one unit a byte.
std::u16string cp1252_to_utf16(const char* text, std::size_t length);

// The Windows-1252 byte of a character; '?' for one the code page lacks, as
// the Windows conversion's default character.
unsigned char cp1252_byte_of(char32_t c);

// Appends UTF-16 text as Windows-1252 ('?' for what it lacks) or as UTF-8.
// A lone surrogate is a character neither holds: '?' and U+FFFD.
void append_utf16_as_cp1252(std::u16string_view text, std::string& out);
void append_utf16_as_utf8(std::u16string_view text, std::string& out);

// The UTF-16 form of a UTF-8 text; a text that is not valid UTF-8 is read,
// whole, as Windows-1252, the code page the system was written for.
std::u16string utf8_to_utf16(std::string_view text);

}  // namespace versos::charsets
