// Code page 850, the console's, and Unicode: how each byte shows on a UTF-8
// terminal and which byte a typed character gives.
#pragma once

#include <string>
#include <string_view>

#include "lib/charsets/utf8.h"

namespace versos::cp850 {

// The characters of 0x80 to 0xFF.
inline constexpr char16_t kHigh[128] = {
    u'\u00C7', u'\u00FC', u'\u00E9', u'\u00E2', u'\u00E4', u'\u00E0', u'\u00E5', u'\u00E7',  // 80
    u'\u00EA', u'\u00EB', u'\u00E8', u'\u00EF', u'\u00EE', u'\u00EC', u'\u00C4', u'\u00C5',  // 88
    u'\u00C9', u'\u00E6', u'\u00C6', u'\u00F4', u'\u00F6', u'\u00F2', u'\u00FB', u'\u00F9',  // 90
    u'\u00FF', u'\u00D6', u'\u00DC', u'\u00F8', u'\u00A3', u'\u00D8', u'\u00D7', u'\u0192',  // 98
    u'\u00E1', u'\u00ED', u'\u00F3', u'\u00FA', u'\u00F1', u'\u00D1', u'\u00AA', u'\u00BA',  // A0
    u'\u00BF', u'\u00AE', u'\u00AC', u'\u00BD', u'\u00BC', u'\u00A1', u'\u00AB', u'\u00BB',  // A8
    u'\u2591', u'\u2592', u'\u2593', u'\u2502', u'\u2524', u'\u00C1', u'\u00C2', u'\u00C0',  // B0
    u'\u00A9', u'\u2563', u'\u2551', u'\u2557', u'\u255D', u'\u00A2', u'\u00A5', u'\u2510',  // B8
    u'\u2514', u'\u2534', u'\u252C', u'\u251C', u'\u2500', u'\u253C', u'\u00E3', u'\u00C3',  // C0
    u'\u255A', u'\u2554', u'\u2569', u'\u2566', u'\u2560', u'\u2550', u'\u256C', u'\u00A4',  // C8
    u'\u00F0', u'\u00D0', u'\u00CA', u'\u00CB', u'\u00C8', u'\u0131', u'\u00CD', u'\u00CE',  // D0
    u'\u00CF', u'\u2518', u'\u250C', u'\u2588', u'\u2584', u'\u00A6', u'\u00CC', u'\u2580',  // D8
    u'\u00D3', u'\u00DF', u'\u00D4', u'\u00D2', u'\u00F5', u'\u00D5', u'\u00B5', u'\u00FE',  // E0
    u'\u00DE', u'\u00DA', u'\u00DB', u'\u00D9', u'\u00FD', u'\u00DD', u'\u00AF', u'\u00B4',  // E8
    u'\u00AD', u'\u00B1', u'\u2017', u'\u00BE', u'\u00B6', u'\u00A7', u'\u00F7', u'\u00B8',  // F0
    u'\u00B0', u'\u00A8', u'\u00B7', u'\u00B9', u'\u00B3', u'\u00B2', u'\u25A0', u'\u00A0',  // F8
};

// The UTF-8 form of the character a cell byte shows as: 1 to 3 bytes. The
// control bytes show as the code page's glyphs for them (0x01 ☺, 0x0A ◙,
// 0x7F ⌂, ...), so that every cell is one printed character and the terminal
// never acts on one; 0x00 shows blank.
using Utf8 = charsets::Utf8;
const Utf8& utf8(unsigned char byte);
// A text of the code page as a terminal shows it, in UTF-8: each byte's
// glyph, but line feeds and tabs keep their effect when `keep_line_breaks`.
std::string utf8_text(std::string_view bytes, bool keep_line_breaks);
// The same glyph as one UTF-16 unit, as a Windows console cell holds it.
char16_t glyph(unsigned char byte);
// The byte a cell showing `c` holds: the inverse of glyph, the control
// bytes' glyphs included (a blank is 0x20; § and ¶, which 0x15 and 0x14
// share with 0xF5 and 0xF4, are the latter); '?' for a character the code
// page lacks.
unsigned char from_glyph(char32_t c);

// The byte of a typed character: itself below 0x80; the code page's byte for
// a character of its upper half; '?' for any other character (as the
// Windows conversion's default character), the glyphs of the control bytes
// included, so that pasting one never acts as a control key.
unsigned char from_unicode(char32_t c);

}  // namespace versos::cp850
