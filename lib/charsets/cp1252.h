// Windows-1252 text as UTF-8, as Windows synthesises its Unicode clipboard
// format from a CF_TEXT item.
#pragma once

#include <cstddef>
#include <string>

namespace versos {

// The characters of 0x80 to 0x9F; the rest of the code page is Latin-1.
inline constexpr char16_t kCp1252HighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The Unicode code point of a Windows-1252 byte. The five bytes that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1
// control of the same value, as the Windows conversion does.
constexpr char32_t cp1252_code_point(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return kCp1252HighControls[byte - 0x80];
    return byte;
}

// Appends the UTF-8 form of `length` Windows-1252 bytes to `out`.
void append_cp1252_as_utf8(const char* text, std::size_t length, std::string& out);

}  // namespace versos
