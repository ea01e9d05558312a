// Writes past the device on a terminal: colours as SGR sequences, and the
// device told that the terminal's cursor and pen have moved.
#include "lib/console/outside_writes.h"

#include <unistd.h>

#include "lib/charsets/cp850.h"
#include "lib/console/device.h"
#include "lib/console/terminal/escapes.h"

namespace versos::console {

void write_on_standard_error(const std::string& utf8) {
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
    if (isatty(STDERR_FILENO)) device().terminal_written_outside();
}

void after_standard_output() {
    std::fflush(stdout);
    if (isatty(STDOUT_FILENO)) device().terminal_written_outside();
}

// The console's colour bits turned into ANSI's; the terminal's pen is not
// known at first, and is reset at the end.
void write_coloured_line(const std::vector<ColouredPiece>& pieces) {
    std::string out;
    if (!isatty(STDERR_FILENO)) {
        for (const ColouredPiece& piece : pieces) out += piece.text;
        write_on_standard_error(out);
        return;
    }
    const TerminalKind kind = terminal_kind();
    int pen = -1;
    for (const ColouredPiece& piece : pieces) {
        Output sgr;
        set_pen(sgr, pen, piece.attr, kind);
        out.append(sgr.data(), sgr.size());
        out += cp850::utf8_text(piece.text, true);
    }
    out += kResetPen;
    write_on_standard_error(out);
}

}  // namespace versos::console
