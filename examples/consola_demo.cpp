// consola-demo: the console text window of versos::consola on a terminal.
// Two windows, one with coloured text that wraps and scrolls, one with lines
// inserted and deleted; a box drawn over the text and the text put back; a
// line edited in a field that warns when it is full; the elapsed time in a
// box, its message captured with what else was printed meanwhile; then the
// code of every key pressed, until Escape.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include <versos/consola.h>
#include <versos/util.h>

using namespace versos;

namespace {

// A title above a window of 30 x 6 whose top-left cell is (left, top).
void titled_window(int left, int top, const char* title) {
    textattr(0x0E);  // yellow on black; window() clears in it
    window(left, top - 1, left + 29, top - 1);
    cputs(title);
    textattr(0x07);
    window(left, top, left + 29, top + 5);
}

void wrapping_and_scrolling() {
    titled_window(2, 4, "Wrapping and scrolling");
    // The 15 colours on black, brightest first: more text than the window
    // holds, so the first lines scroll away.
    for (int colour = 15; colour >= 1; --colour) {
        textcolor(colour);
        cprintf("Text in colour %d. ", colour);
    }
}

void inserting_and_deleting() {
    titled_window(34, 4, "Lines inserted and deleted");
    textattr(0x0B);  // light cyan
    for (int row = 1; row <= 6; ++row) {
        gotoxy(1, row);
        cprintf("line %d", row);
    }
    gotoxy(1, 3);
    insline();  // lines 3 to 5 move down, line 6 is lost
    cputs("inserted at row 3");
    gotoxy(1, 1);
    delline();  // everything below row 1 moves up
}

// A box over the current window's text until a key is pressed; what it
// covered is saved and put back.
void box_over_text() {
    unsigned char saved[26 * 4 * 2];
    gettext_(3, 2, 28, 5, saved);
    textattr(0x4F);  // bright white on red
    const char* box[] = {"+------------------------+", "| Saved under this box.  |", "| Press a key to restore.|",
                         "+------------------------+"};
    for (int row = 0; row < 4; ++row) {
        gotoxy(3, 2 + row);
        cputs(box[row]);
    }
    getch_();
    puttext(3, 2, 28, 5, saved);
}

// A field of 15 characters to edit, starting with "año" (the console's
// bytes are code page 850): typing a 16th shows the "¡Atención!" box.
void line_editor_field() {
    textattr(0x0E);
    window(42, 13, 79, 13);
    cputs("Line editor (Ins, Enter ends):");
    textattr(0x07);
    window(42, 14, 79, 23);
    cputs("Text: ");
    char text[16] = "a\xA4o";
    getsf_(text, sizeof text);
    _setcursortype(0);
    gotoxy(1, 2);
    cprintf("Typed: [%s]", text);
}

// What is printed on standard output while capturing, mensajeTiempo_'s
// message among it, is shown afterwards line by line at the bottom; the box
// itself shows on the terminal meanwhile.
void captured_output(std::time_t started) {
    char captured[512] = "";
    if (openprints_() != 0) return;
    std::printf("Printed while captured.\n");
    mensajeTiempo_(static_cast<unsigned>(std::time(nullptr) - started));
    printsn_(captured, sizeof captured);
    closeprints_();
    textattr(0x0E);
    window(2, 22, 79, 22);
    cputs("Captured output:");
    textattr(0x07);
    window(2, 23, 79, 25);
    int row = 1;
    for (char* line = std::strtok(captured, "\n"); line && row <= 3; line = std::strtok(nullptr, "\n")) {
        gotoxy(1, row++);
        cputs(line);
    }
}

// Each key's code at the top of the list, the oldest falling off its bottom.
void show_keys_until_escape() {
    textattr(0x0E);
    window(2, 13, 40, 13);
    cputs("Keys, newest first (Esc ends):");
    textattr(0x07);
    window(2, 14, 40, 20);
    for (int key; (key = getch_()) != 27;) {
        if (!isatty(STDIN_FILENO)) return;  // the terminal has gone: no key will come
        gotoxy(1, 1);
        insline();
        cprintf("key %d", key);
        // Cursor, editing and function keys come as two bytes.
        if (key == 0 || key == 224)
            cprintf(" %d", getch_());
        else if (key >= 32 && key != 127)
            cprintf("  '%c'", key);
    }
}

}  // namespace

int main() {
    // Without a terminal the console reads no key and shows nothing, and
    // reading its cells gives 0.
    unsigned char cell[2];
    if (!isatty(STDIN_FILENO) || gettext_(1, 1, 1, 1, cell) == 0) {
        std::fputs("consola-demo: standard input and output must be a terminal\n", stderr);
        return 1;
    }
    const std::time_t started = std::time(nullptr);
    // Keys typed before the demo started are not for it.
    while (kbhit_()) getch_();

    _setcursortype(0);  // hidden while the demo runs; shown again at exit
    textattr(0x07);
    clrscr();
    textattr(0x70);  // black on light grey
    cputs(" consola-demo: versos::consola on a terminal");
    clreol();

    wrapping_and_scrolling();
    inserting_and_deleting();
    box_over_text();
    line_editor_field();
    captured_output(started);
    show_keys_until_escape();

    // The terminal as it was: its mode, cursor and colours come back at exit.
    textattr(0x07);
    window(1, 1, 80, 25);
    return 0;
}
