// File names on Windows: the library and the programs hold them in UTF-8,
// Windows' wide calls take UTF-16. A name that is not valid UTF-8 is read as
// Windows-1252, the code page the system was written for, so that a name
// from an older program still reaches its file. A path too long for the
// classic limit (260) is made absolute and given the \\?\ prefix, which
// lifts the limit.
#pragma once

#include <string>

namespace versos::windows {

// The UTF-16 name to hand to Windows for a UTF-8 (or Windows-1252) one.
std::wstring wide_path(const char* name);
// UTF-16 text as UTF-8.
std::string utf8_from_wide(const wchar_t* text);
std::string utf8_from_wide(const wchar_t* text, std::size_t length);

// errno's nearest value for a Windows error code, for the messages the
// file routines give on every system alike.
int errno_from_windows(unsigned long error);

}  // namespace versos::windows
