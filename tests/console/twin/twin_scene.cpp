// console-twin-scene: one scene of the console text window, built for Linux
// and for Windows from this source, so that the two can be run side by side
// and their screens compared cell by cell. Every step ends on a marker line
// "step N" at the bottom of the screen while the scene waits for keys.
//   1. the whole palette, code page 850's letters, frames and the glyphs of
//      the control bytes; windows that wrap, scroll, insert and delete
//      lines; a rectangle moved and one copied with gettext_ and puttext;
//      a text shortened in the middle in two colours on standard error
//   2. the code of each key pressed, newest first, until Escape
//   3. a line edited in a field that warns, in a box, when it is full
//   4. what was typed; Escape ends
#include <cstdio>

#include <versos/consola.h>

using namespace versos;

namespace {

// On the bottom row of the screen, whatever the window, which stays.
void marker(int step) {
    unsigned char cells[80 * 2];
    char text[81];
    std::snprintf(text, sizeof text, " step %d%-72s", step, "");
    for (int x = 0; x < 80; ++x) {
        cells[2 * x] = static_cast<unsigned char>(text[x]);
        cells[2 * x + 1] = 0x70;
    }
    const int left = 1 - vActual.window_left, top = 25 - vActual.window_top;
    puttext(left, top, left + 79, top, cells);
}

void palette_and_glyphs() {
    textattr(0x1F);
    gotoxy(1, 1);
    cputs(" console-twin-scene");
    clreol();
    for (int background = 0; background < 16; ++background) {
        gotoxy(1 + background * 5, 2);
        for (int foreground = 0; foreground < 5; ++foreground) {
            textattr(background << 4 | (foreground * 3 + background) % 16);
            putch_('A' + foreground);
        }
    }
    textattr(0x07);
    gotoxy(1, 3);
    // Letters and frames of code page 850, and the control bytes' glyphs.
    cputs("\xA4\xA5\xE0\xA0\x82\xA1\xA2\xA3\x81\x9A\xAD\xA8 \xC9\xCD\xBB\xBA\xC8\xBC \xB0\xB1\xB2\xDB\xDC\xDF ");
    for (int c = 1; c < 32; ++c) putch_(c);
    putch_(0x7F);
}

void windows_that_move() {
    textattr(0x0E);
    window(2, 5, 31, 10);
    clrscr();
    for (int colour = 15; colour >= 1; --colour) {
        textcolor(colour);
        textbackground(colour % 3);
        cprintf("colour %d wraps; ", colour);
    }
    textattr(0x2B);
    window(34, 5, 63, 10);
    clrscr();
    for (int row = 1; row <= 6; ++row) {
        gotoxy(1, row);
        cprintf("line %d", row);
    }
    gotoxy(1, 3);
    insline();
    cputs("inserted");
    gotoxy(1, 1);
    delline();
    highvideo();
    gotoxy(20, 6);
    cputs("bright");
    // A rectangle moved, and one copied elsewhere, in screen columns and
    // rows (the window's own start at its top-left cell).
    const int x = -vActual.window_left, y = -vActual.window_top;
    movetext(x + 2, y + 5, x + 12, y + 7, x + 66, y + 5);
    unsigned char cells[11 * 3 * 2];
    gettext_(x + 34, y + 5, x + 44, y + 7, cells);
    puttext(x + 66, y + 9, x + 76, y + 11, cells);
    _setcursortype(2);
    gotoxy(5, 4);
}

// Past the console, on standard error, where the console's cursor is: on a
// screen cell of its own, as a window would be cleared. (The next step's
// window covers it: a terminal can't give back what others drew, so the box
// of step 3 could not show it on Linux.)
void shortened_line() {
    gotoxy_(2, 13);
    imprimeHasta(
        "\xA4"
        "and\xA3 y el \xF1u de la palabra m\xA0s larga",
        24, 0x0E, 0x0C);
    gotoxy(5, 4);
}

void keys_until_escape() {
    textattr(0x0A);
    window(2, 13, 40, 23);
    clrscr();
    cputs("keys, newest first:");
    window(2, 14, 40, 23);
    for (int key; (key = getch_()) != 27;) {
        gotoxy(1, 1);
        insline();
        cprintf("key %d", key);
        if (key == 0 || key == 224)
            cprintf(" %d", getch_());
        else if (key >= 32)
            cprintf(" '%c'", key);
    }
}

void field() {
    textattr(0x1E);
    window(42, 13, 80, 14);
    clrscr();
    cputs("field: ");
    char text[6] = "ab";
    getsf_(text, sizeof text);
    _setcursortype(1);
    gotoxy(1, 2);
    cprintf("typed [%s]", text);
}

}  // namespace

int main() {
    _setcursortype(1);
    textattr(0x07);
    window(1, 1, 80, 25);
    clrscr();
    // Dots behind everything: no row ends in blanks. (Wine's console,
    // drawing on a terminal, erases a row's trailing blanks without first
    // resetting the colours of the text before them, so that they show in
    // that text's background.)
    textattr(0x08);
    for (int row = 0; row < 24; ++row)
        cputs("................................................................................");
    palette_and_glyphs();
    windows_that_move();
    shortened_line();
    marker(1);
    getch_();
    marker(2);
    keys_until_escape();
    marker(3);
    field();
    marker(4);
    while (getch_() != 27) {
    }
    textattr(0x07);
    window(1, 1, 80, 25);
    return 0;
}
