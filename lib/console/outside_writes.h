// Text the console routines write past the console device, on standard
// error or through stdio's standard output.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace versos::console {

// Writes the UTF-8 text whole on standard error: on a Windows console as the
// letters it stands for. If standard error is a terminal, tells the console
// device that the terminal's cursor and pen have moved.
void write_on_standard_error(const std::string& utf8);

// After stdio wrote on standard output: flushes it and, if it is a terminal,
// tells the console device as above.
void after_standard_output();

// A line on standard error in pieces of console attributes: where standard
// error shows colours (a terminal, a console) each piece in its attribute
// and its bytes as the console's glyphs; elsewhere the bytes alone. The
// colours standard error had come back after the line (on the console the
// routines draw on, the attribute they set last).
struct ColouredPiece {
    unsigned char attr;
    std::string text;  // bytes of code page 850; line feeds and tabs act
};
void write_coloured_line(const std::vector<ColouredPiece>& pieces);

}  // namespace versos::console
