#include "lib/console/terminal/escapes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace versos::console {
namespace {

int digits(int n) {
    int d = 1;
    while (n >= 10) n /= 10, ++d;
    return d;
}

// ESC [ n X, with n left out when 1.
int counted_length(int n) { return n == 1 ? 3 : 3 + digits(n); }

void put_counted(Output& out, int n, char final_byte) {
    out.put("\x1b[");
    if (n != 1) out.put_number(n);
    out.put(final_byte);
}

int cup_length(int row, int col) {
    if (col == 0) return row == 0 ? 3 : 3 + digits(row + 1);
    return 4 + digits(row + 1) + digits(col + 1);
}

int cha_length(int col) { return col == 0 ? 3 : 3 + digits(col + 1); }

// Down or up by |dr| in the same column: IND or RI a row, or CUD or CUU.
int vertical_length(int dr) {
    int n = dr < 0 ? -dr : dr;
    return n == 0 ? 0 : std::min(2 * n, counted_length(n));
}

// To column `to` from a known column on the same row: BS, CUB, CUF or CHA.
int horizontal_length(int from, int to) {
    if (from == to) return 0;
    int n = to > from ? to - from : from - to;
    int best = std::min(cha_length(to), counted_length(n));
    return to < from ? std::min(best, n) : best;
}

// CR, then down or up: CR LF a row, or CR and a vertical move.
int return_length(int dr) {
    int best = 1 + vertical_length(dr);
    return dr > 0 ? std::min(best, 2 * dr) : best;
}

void put_vertical(Output& out, int dr) {
    int n = dr < 0 ? -dr : dr;
    if (n == 0) return;
    if (2 * n <= counted_length(n)) {
        for (int i = 0; i < n; ++i)
            out.put(dr > 0 ? "\x1b"
                             "D"
                           : "\x1b"
                             "M");
    } else {
        put_counted(out, n, dr > 0 ? 'B' : 'A');
    }
}

void put_cha(Output& out, int col) {
    out.put("\x1b[");
    if (col > 0) out.put_number(col + 1);
    out.put('G');
}

void put_horizontal(Output& out, int from, int to) {
    if (from == to) return;
    int n = to > from ? to - from : from - to;
    if (to < from && n <= counted_length(n) && n <= cha_length(to)) {
        for (int i = 0; i < n; ++i) out.put('\b');
    } else if (counted_length(n) <= cha_length(to)) {
        put_counted(out, n, to > from ? 'C' : 'D');
    } else {
        put_cha(out, to);
    }
}

void put_return(Output& out, int dr) {
    if (dr > 0 && 2 * dr <= 1 + vertical_length(dr)) {
        for (int i = 0; i < dr; ++i) out.put("\r\n");
    } else {
        out.put('\r');
        put_vertical(out, dr);
    }
}

enum class Way { kRelative, kReturn, kColumn, kAbsolute };

Way shortest(const TermCursor& at, int row, int col, int& length) {
    Way way = Way::kAbsolute;
    length = cup_length(row, col);
    if (at.row < 0) return way;
    int dr = row - at.row;
    auto consider = [&](Way w, int n) {
        if (n < length) way = w, length = n;
    };
    if (at.col >= 0) consider(Way::kRelative, vertical_length(dr) + horizontal_length(at.col, col));
    consider(Way::kReturn, return_length(dr) + horizontal_length(0, col));
    consider(Way::kColumn, vertical_length(dr) + cha_length(col));
    return way;
}

// ANSI colour numbers run red 1, green 2, blue 4: the reverse of the
// console's blue 1, green 2, red 4.
int ansi(int colour) { return ((colour & 1) << 2) | (colour & 2) | ((colour & 4) >> 2); }

struct Params {
    char text[40];
    int length = 0;
    void add(int n) {
        if (length > 0) text[length++] = ';';
        if (n >= 100) text[length++] = static_cast<char>('0' + n / 100);
        if (n >= 10) text[length++] = static_cast<char>('0' + n / 10 % 10);
        text[length++] = static_cast<char>('0' + n % 10);
    }
};

Params ansi_params(int pen, unsigned attr) {
    Params p;
    int fg = attr & 0x0F, bg = attr >> 4;
    if (pen < 0) p.add(0);
    if (pen < 0 || (pen & 0x0F) != fg) p.add((fg & 8 ? 90 : 30) + ansi(fg & 7));
    if (pen < 0 || (pen >> 4) != bg) p.add((bg & 8 ? 100 : 40) + ansi(bg & 7));
    return p;
}

Params linux_params(int pen, unsigned attr) {
    Params full;
    full.add(0);
    if (attr & 0x08) full.add(1);
    if (attr & 0x80) full.add(5);
    full.add(30 + ansi(attr & 7));
    full.add(40 + ansi((attr >> 4) & 7));
    if (pen < 0) return full;
    Params p;
    if ((pen ^ attr) & 0x08) p.add(attr & 0x08 ? 1 : 22);
    if ((pen ^ attr) & 0x80) p.add(attr & 0x80 ? 5 : 25);
    if ((pen ^ attr) & 0x07) p.add(30 + ansi(attr & 7));
    if ((pen ^ attr) & 0x70) p.add(40 + ansi((attr >> 4) & 7));
    return p.length <= full.length ? p : full;
}

Params pen_params(int pen, unsigned char attr, TerminalKind kind) {
    if (pen == attr) return {};
    return kind == TerminalKind::kLinuxConsole ? linux_params(pen, attr) : ansi_params(pen, attr);
}

}  // namespace

TerminalKind terminal_kind() {
    const char* term = std::getenv("TERM");
    return term && std::strncmp(term, "linux", 5) == 0 ? TerminalKind::kLinuxConsole : TerminalKind::kAnsi;
}

void Output::put_number(int n) {
    char text[12];
    int length = 0;
    unsigned u = n < 0 ? 0u - static_cast<unsigned>(n) : static_cast<unsigned>(n);
    do text[length++] = static_cast<char>('0' + u % 10);
    while ((u /= 10) != 0);
    if (n < 0) put('-');
    while (length > 0) put(text[--length]);
}

int move_length(const TermCursor& at, int row, int col) {
    if (at.row == row && at.col == col) return 0;
    int length;
    shortest(at, row, col, length);
    return length;
}

void move_cursor(Output& out, TermCursor& at, int row, int col) {
    if (at.row == row && at.col == col) return;
    int length;
    switch (shortest(at, row, col, length)) {
        case Way::kRelative:
            put_vertical(out, row - at.row);
            put_horizontal(out, at.col, col);
            break;
        case Way::kReturn:
            put_return(out, row - at.row);
            put_horizontal(out, 0, col);
            break;
        case Way::kColumn:
            put_vertical(out, row - at.row);
            put_cha(out, col);
            break;
        case Way::kAbsolute:
            out.put("\x1b[");
            if (row > 0 || col > 0) out.put_number(row + 1);
            if (col > 0) {
                out.put(';');
                out.put_number(col + 1);
            }
            out.put('H');
            break;
    }
    at.row = row;
    at.col = col;
}

int pen_length(int pen, unsigned char attr, TerminalKind kind) {
    Params p = pen_params(pen, attr, kind);
    return p.length == 0 ? 0 : p.length + 3;
}

void set_pen(Output& out, int& pen, unsigned char attr, TerminalKind kind) {
    Params p = pen_params(pen, attr, kind);
    pen = attr;
    if (p.length == 0) return;
    out.put("\x1b[");
    out.put(p.text, p.length);
    out.put('m');
}

void erase_characters(Output& out, int n) { put_counted(out, n, 'X'); }
int erase_characters_length(int n) { return counted_length(n); }

// The console's sixteen colours as the Windows console shows them.
void default_colours(Output& out, unsigned char attr) {
    static constexpr char kRgb[16][9] = {
        "00/00/00", "00/00/80", "00/80/00", "00/80/80", "80/00/00", "80/00/80", "80/80/00", "c0/c0/c0",
        "80/80/80", "00/00/ff", "00/ff/00", "00/ff/ff", "ff/00/00", "ff/00/ff", "ff/ff/00", "ff/ff/ff"};
    out.put("\x1b]10;rgb:");
    out.put(kRgb[attr & 0x0F], 8);
    out.put("\x1b\\\x1b]11;rgb:");
    out.put(kRgb[attr >> 4], 8);
    out.put("\x1b\\");
}

void insert_lines(Output& out, int n) { put_counted(out, n, 'L'); }
void delete_lines(Output& out, int n) { put_counted(out, n, 'M'); }
int lines_length(int n) { return counted_length(n); }

void show_cursor(Output& out, bool visible) { out.put(visible ? kShowCursor : kHideCursor); }

void shape_cursor(Output& out, CursorForm form, TerminalKind kind) {
    if (kind == TerminalKind::kLinuxConsole) {
        // Its own cursor size: 0 default, 2 underline, 6 full block.
        out.put(form == CursorForm::kBlock ? "\x1b[?6c" : form == CursorForm::kUnderline ? "\x1b[?2c" : kLinuxTerminalCursorShape);
    } else {
        // DECSCUSR: 1 blinking block, 3 blinking underline, as the console's
        // cursor blinks; 0 the terminal's own.
        out.put(form == CursorForm::kBlock ? "\x1b[1 q" : form == CursorForm::kUnderline ? "\x1b[3 q" : kTerminalCursorShape);
    }
}

}  // namespace versos::console
