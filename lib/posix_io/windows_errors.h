// Windows' own words for its error codes, for the messages that name them.
#pragma once

#include <string>

namespace versos::windows {

// The system's text for a Windows error code (GetLastError's), in UTF-8,
// without the full stop and line end it closes with; "error N" where the
// system has none.
std::string error_text(unsigned long error);

}  // namespace versos::windows
