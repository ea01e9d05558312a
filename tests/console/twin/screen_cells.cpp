// screen-cells COLUMNS ROWS CAPTURE CAPTURE: whether two tmux panes show the
// same cells, from what `tmux capture-pane -p -e -N` printed of each.
// Whatever SGR sequences drew them, each cell's colours are taken as the
// console's attribute (the terminal's default colours as the console's
// 0x07). A blank's foreground is not seen and not compared; nor are the
// colours of blanks that tmux leaves off a row's end (those a terminal
// erased rather than wrote), which any blank matches. Prints each
// difference and exits 1 when there is one.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Pen {
    int fg = -1, bg = -1;  // palette index, -1 default
    bool bold = false, reverse = false, underline = false, blink = false;
    bool operator==(const Pen&) const = default;
};

struct Cell {
    std::string text;  // one character's UTF-8 bytes; empty where tmux left it off
    Pen pen;
};

// ANSI's red 1, green 2, blue 4 as the console's blue 1, green 2, red 4.
int console_colour(int ansi) { return ((ansi & 1) << 2) | (ansi & 2) | ((ansi & 4) >> 2) | (ansi & 8); }

void apply(Pen& pen, const std::vector<int>& params) {
    if (params.empty()) pen = Pen{};
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int p = params[i];
        if (p == 0)
            pen = Pen{};
        else if (p == 1)
            pen.bold = true;
        else if (p == 4)
            pen.underline = true;
        else if (p == 5)
            pen.blink = true;
        else if (p == 7)
            pen.reverse = true;
        else if (p == 22)
            pen.bold = false;
        else if (p == 24)
            pen.underline = false;
        else if (p == 25)
            pen.blink = false;
        else if (p == 27)
            pen.reverse = false;
        else if (p >= 30 && p <= 37)
            pen.fg = p - 30;
        else if (p == 39)
            pen.fg = -1;
        else if (p >= 40 && p <= 47)
            pen.bg = p - 40;
        else if (p == 49)
            pen.bg = -1;
        else if (p >= 90 && p <= 97)
            pen.fg = p - 90 + 8;
        else if (p >= 100 && p <= 107)
            pen.bg = p - 100 + 8;
        else if ((p == 38 || p == 48) && i + 2 < params.size() && params[i + 1] == 5) {
            (p == 38 ? pen.fg : pen.bg) = params[i + 2] < 16 ? params[i + 2] : 1000 + params[i + 2];
            i += 2;
        }
    }
}

// The console attribute's two colours; beyond the sixteen, 256-colour
// indexes are kept as they are.
int foreground(const Pen& pen) {
    const int fg = pen.reverse ? pen.bg : pen.fg;
    if (fg == -1) return pen.reverse ? 0 : 7;
    return fg < 16 ? console_colour(fg) : fg;
}
int background(const Pen& pen) {
    const int bg = pen.reverse ? pen.fg : pen.bg;
    if (bg == -1) return pen.reverse ? 7 : 0;
    return bg < 16 ? console_colour(bg) : bg;
}

std::vector<std::vector<Cell>> read_capture(const char* path, int columns, int rows) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "screen-cells: can't read %s\n", path);
        std::exit(2);
    }
    std::vector<std::vector<Cell>> screen(static_cast<std::size_t>(rows), std::vector<Cell>(columns));
    Pen pen;  // tmux carries its pen from one row to the next
    std::string line;
    for (int row = 0; row < rows && std::getline(in, line); ++row) {
        int x = 0;
        for (std::size_t i = 0; i < line.size();) {
            if (line[i] == '\x1b' && i + 1 < line.size() && line[i + 1] == '[') {
                std::size_t end = i + 2;
                std::vector<int> params;
                std::string number;
                for (; end < line.size() && ((line[end] >= '0' && line[end] <= '9') || line[end] == ';'); ++end) {
                    if (line[end] == ';') {
                        params.push_back(std::atoi(number.c_str()));
                        number.clear();
                    } else {
                        number += line[end];
                    }
                }
                if (!number.empty() || !params.empty()) params.push_back(std::atoi(number.c_str()));
                if (end < line.size() && line[end] == 'm') apply(pen, params);
                i = end + 1;
                continue;
            }
            const auto lead = static_cast<unsigned char>(line[i]);
            const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            if (x < columns) screen[row][x++] = Cell{line.substr(i, length), pen};
            i += length;
        }
    }
    return screen;
}

bool blank(const Cell& c) { return c.text.empty() || c.text == " "; }

bool same(const Cell& a, const Cell& b) {
    if (a.text.empty() || b.text.empty()) return blank(a) && blank(b);
    if (a.text != b.text || background(a.pen) != background(b.pen)) return false;
    if (a.text == " ") return true;
    return foreground(a.pen) == foreground(b.pen) && a.pen.bold == b.pen.bold && a.pen.underline == b.pen.underline &&
           a.pen.blink == b.pen.blink;
}

std::string describe(const Cell& c) {
    if (c.text.empty()) return "(left off)";
    char colours[64];
    std::snprintf(colours, sizeof colours, " fg %d bg %d%s", foreground(c.pen), background(c.pen),
                  c.pen.bold ? " bold" : "");
    return "'" + c.text + "'" + colours;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fputs("usage: screen-cells COLUMNS ROWS CAPTURE CAPTURE\n", stderr);
        return 2;
    }
    const int columns = std::atoi(argv[1]), rows = std::atoi(argv[2]);
    const auto a = read_capture(argv[3], columns, rows), b = read_capture(argv[4], columns, rows);
    int differences = 0;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            if (!same(a[y][x], b[y][x]) && ++differences <= 20)
                std::printf("cell %d,%d: %s / %s\n", x + 1, y + 1, describe(a[y][x]).c_str(),
                            describe(b[y][x]).c_str());
    if (differences > 20) std::printf("... %d cells differ\n", differences);
    return differences == 0 ? 0 : 1;
}
