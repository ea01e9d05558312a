// Opening a file for reading the way the file tests expect, and asking
// whether a name is taken: file_open.cpp on POSIX systems,
// file_open_windows.cpp on Windows (UTF-8 names, as the file routines).
#pragma once

#include <cstdio>

namespace versos::detail {

// The file opened with "rb", or null. A directory counts as a file that can't
// be opened, as it does where paths have backslashes.
std::FILE* open_for_reading(const char* path);

// Anything at all under that name (a file of any kind, a directory, even a
// dangling link) makes the name taken.
bool name_taken(const char* name);

}  // namespace versos::detail
