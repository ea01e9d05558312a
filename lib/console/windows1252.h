// Windows-1252, the library's text (and the Windows message box's), as the
// console's code page and as UTF-8 for standard error.
#pragma once

#include <string>

namespace versos::console::windows1252 {

// The character of a Windows-1252 byte; the five bytes the code page leaves
// undefined give '?', so that none reaches a terminal as a C1 control.
char32_t to_unicode(unsigned char byte);

// The code-page-850 byte that shows the same character; '?' where code page
// 850 has none.
unsigned char to_cp850(unsigned char byte);

// A Windows-1252 text as UTF-8.
std::string to_utf8(const char* text);

}  // namespace versos::console::windows1252
