// The seed argument, converted as the original runtime's atoi converts it.
#pragma once

namespace versos {

// Leading white space is skipped, then an optional sign, then decimal digits
// up to the first other character; no digits at all give 0. A value beyond
// the range of int saturates to INT_MAX or INT_MIN.
int seed_from_text(const char* text);

}  // namespace versos
