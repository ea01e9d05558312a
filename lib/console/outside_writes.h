// Text the console routines write past the console device, on standard
// error or through stdio's standard output.
#pragma once

#include <cstdio>
#include <string>

namespace versos::console {

// Writes the bytes whole on standard error; if it is a terminal, tells the
// console device that the terminal's cursor and pen have moved.
void write_on_standard_error(const std::string& bytes);

// After stdio wrote on standard output: flushes it and, if it is a terminal,
// tells the console device as above.
void after_standard_output();

}  // namespace versos::console
