// Text on a Windows console: the console's Unicode output shows the letters
// whatever the console's code page, where bytes would be read in that code
// page.
#pragma once

#include <windows.h>

#include <string_view>

namespace versos::windows {

// Whether `handle` is a console; the C runtime's _isatty also says yes for
// NUL and other character devices.
bool is_console(HANDLE handle);

// Writes the letters whole; false, with the error in GetLastError, if the
// console took none.
bool write_console(HANDLE console, std::u16string_view letters);

}  // namespace versos::windows
