// Windows-1252 text as UTF-8, as Windows synthesises its Unicode clipboard
// format from a CF_TEXT item.
#pragma once

#include <cstddef>
#include <string>

namespace versos {

// The Unicode code point of a Windows-1252 byte. The five bytes that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
// control of the same value, as the Windows conversion does.
char32_t cp1252_code_point(unsigned char byte);

// Appends the UTF-8 form of `length` Windows-1252 bytes to `out`.
void append_cp1252_as_utf8(const char* text, std::size_t length, std::string& out);

}  // namespace versos
