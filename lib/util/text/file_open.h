// Opening a file for reading the way the file tests expect.
#pragma once

#include <cstdio>

namespace versos::detail {

// The file opened with "rb", or null. A directory counts as a file that can't
// be opened, as it does where paths have backslashes.
std::FILE* open_for_reading(const char* path);

}  // namespace versos::detail
