// Code page 850, the console's, and Unicode: how each byte shows on a UTF-8
// terminal and which byte a typed character gives.
#pragma once

#include "lib/charsets/utf8.h"

namespace versos::console::cp850 {

// The UTF-8 form of the character a cell byte shows as: 1 to 3 bytes. The
// control bytes show as the code page's glyphs for them (0x01 ☺, 0x0A ◙,
// 0x7F ⌂, ...), so that every cell is one printed character and the terminal
// never acts on one; 0x00 shows blank.
using Utf8 = charsets::Utf8;
const Utf8& utf8(unsigned char byte);

// The byte of a typed character: itself below 0x80; the code page's byte for
// a character of its upper half; '?' for any other character (as the
// Windows conversion's default character), the glyphs of the control bytes
// included, so that pasting one never acts as a control key.
unsigned char from_unicode(char32_t c);

}  // namespace versos::console::cp850
