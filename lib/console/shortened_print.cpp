// imprimeHasta: a text in quotes on standard error, shortened in the middle
// to a width, in the console's colours.
#include <versos/consola/console_services.h>
#include <versos/consola/text_window.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "lib/console/outside_writes.h"
#include "lib/charsets/cp850.h"
#include "lib/console/terminal/escapes.h"

namespace versos {

namespace {

constexpr char kEllipsis[] = "[...]";
constexpr int kEllipsisLength = sizeof kEllipsis - 1;

// The line as it goes out: on a terminal the attribute of each piece as an
// SGR sequence (the console's colour bits turned into ANSI's) and the bytes
// as the console's code page shows them; elsewhere the bytes alone.
class ColouredLine {
public:
    ColouredLine() : terminal_(isatty(STDERR_FILENO) != 0), kind_(console::terminal_kind()) {}
    void colour(int console_colour) {
        const auto attr = static_cast<unsigned char>(textcolor(console_colour));
        if (!terminal_) return;
        console::Output sgr;
        console::set_pen(sgr, pen_, attr, kind_);
        out_.append(sgr.data(), sgr.size());
    }
    // Returns the count of bytes, as printf would.
    int text(const char* bytes, int count) {
        for (int i = 0; i < count; ++i) {
            if (!terminal_) {
                out_ += bytes[i];
                continue;
            }
            const cp850::Utf8& glyph = cp850::utf8(static_cast<unsigned char>(bytes[i]));
            // Line feeds and tabs keep their effect; they are not in the cells.
            if (bytes[i] == '\n' || bytes[i] == '\t')
                out_ += bytes[i];
            else
                out_.append(glyph.bytes, glyph.length);
        }
        return count;
    }
    void send() {
        if (terminal_) out_ += console::kResetPen;
        console::write_on_standard_error(out_);
    }

private:
    bool terminal_;
    console::TerminalKind kind_;
    int pen_ = -1;  // the terminal's colours are not known
    std::string out_;
};

}  // namespace

int imprimeHasta(const char* text, int width, int colour, int ellipsis_colour) {
    const long long length = static_cast<long long>(std::strlen(text));
    ColouredLine line;
    line.colour(colour);
    int last;
    if (width >= length) {
        line.text("\"", 1);
        line.text(text, static_cast<int>(length));
        line.text("\"\n", 2);
        last = static_cast<int>(length) + 3;  // "\"%s\"\n" in one write
    } else {
        // A width below 5 leaves only the quotes and the ellipsis.
        const int kept = width < kEllipsisLength ? 0 : (width - kEllipsisLength) / 2;
        line.text("\"", 1);
        line.text(text, kept);
        line.colour(ellipsis_colour);
        line.text(kEllipsis, kEllipsisLength);
        line.colour(colour);
        line.text(text + length - kept, kept);
        last = line.text("\"\n", 2);
    }
    line.send();
    return last;
}

}  // namespace versos
