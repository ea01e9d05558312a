// imprimeHasta: a text in quotes on standard error, shortened in the middle
// to a width, in the console's colours.
#include <versos/consola/console_services.h>
#include <versos/consola/text_window.h>

#include <cstring>
#include <string>
#include <vector>

#include "lib/console/outside_writes.h"

namespace versos {

namespace {

constexpr char kEllipsis[] = "[...]";
constexpr int kEllipsisLength = sizeof kEllipsis - 1;

unsigned char set_colour(int colour) { return static_cast<unsigned char>(textcolor(colour)); }

}  // namespace

int imprimeHasta(const char* text, int width, int colour, int ellipsis_colour) {
    const long long length = static_cast<long long>(std::strlen(text));
    const unsigned char text_attr = set_colour(colour);
    std::vector<console::ColouredPiece> line;
    int last;
    if (width >= length) {
        line.push_back({text_attr, "\"" + std::string(text, static_cast<std::size_t>(length)) + "\"\n"});
        last = static_cast<int>(length) + 3;  // "\"%s\"\n" in one write
    } else {
        // A width below 5 leaves only the quotes and the ellipsis.
        const int kept = width < kEllipsisLength ? 0 : (width - kEllipsisLength) / 2;
        const unsigned char ellipsis_attr = set_colour(ellipsis_colour);
        set_colour(colour);
        line.push_back({text_attr, "\"" + std::string(text, static_cast<std::size_t>(kept))});
        line.push_back({ellipsis_attr, kEllipsis});
        line.push_back({text_attr, std::string(text + length - kept, static_cast<std::size_t>(kept)) + "\"\n"});
        last = 2;  // the closing "\"\n"
    }
    console::write_coloured_line(line);
    return last;
}

}  // namespace versos
