// The console text window: a window within the screen with 1-based
// coordinates of its own, a tracked cursor, the 16 colours of the Windows
// console, output that wraps at the window's right edge and scrolls the
// window, lines inserted and deleted, rectangles of cells read, written and
// moved, the cursor's shape, and an unechoed keyboard with push-back.
//
// Every routine draws at once. On a terminal the text is shown in code page
// 850 (as the console shows it). Control bytes (line feed, carriage return,
// bell, ...) are written into the cells like any other byte and shown as the
// code page's glyph for them; the cursor does not follow them.
//
// Without a terminal on standard output, output through these routines is
// dropped (vActual is still kept) and gettext_ and puttext give 0.
//
// The key routines put the terminal's keyboard in their own mode (no echo,
// no line editing) for their read and put back the mode they found, so that
// fgets and scanf read echoed lines between them. Keys typed while no key
// routine reads still reach the next one in order, but the terminal echoes
// them meanwhile, as it echoes anything typed ahead.
//
// Without a terminal on standard input, its bytes are the keys, decoded as
// typed keys are (UTF-8 to code page 850, a cursor key's escape sequence to
// its two bytes), read one at a time so that what follows stays for stdio:
// `printf 'abc\r' | prog` types a, b, c and Enter. At the end of the input
// the first key read gives 13 (Enter), so that cgets, getpass and getsf_ end
// with what they have; a key read after that ends the program with status
// 129, as a hangup would, the terminal put back.
#pragma once

#include <versos/consola/export.h>

namespace versos {

// The window and the text state, 11 bytes. Window edges are 0-based screen
// cells; the cursor is 1-based within the window.
struct TextInfo {
    unsigned char window_left;    // 0
    unsigned char window_top;     // 0
    unsigned char window_right;   // 79
    unsigned char window_bottom;  // 24
    unsigned char text_attr;      // 0x0F: low 4 bits foreground, high 4 background, bit 3 bright
    unsigned char normal_attr;    // 0x0F, restored by normvideo
    unsigned char text_mode;      // 3, kept and reported only
    unsigned char window_height;  // 25
    unsigned char window_width;   // 80
    unsigned char cursor_x;       // 1
    unsigned char cursor_y;       // 1
};
static_assert(sizeof(TextInfo) == 11);

// The console's state for the whole process. The routines below keep it;
// writes that bypass them (standard output, for instance) do not update it.
VERSOS_CONSOLA_EXPORT extern TextInfo vActual;

// Attributes are Windows console attributes: colours 0..15 with bit 0
// blue, bit 1 green, bit 2 red and bit 3 bright, the foreground in the low
// 4 bits and the background in the high 4. Text is written in the console's
// attribute; clearing and scrolling blank cells in text_attr. The two are the
// same once an attribute has been set through the routines below.

// The window, from 1-based screen coordinates; the cursor goes to (1, 1)
// and the window is cleared. The arguments are not checked.
VERSOS_CONSOLA_EXPORT void window(int left, int top, int right, int bottom);
// Moves the cursor within the window; ignored outside 1..width, 1..height.
VERSOS_CONSOLA_EXPORT void gotoxy(int x, int y);
// Moves the console cursor to the 0-based screen cell (x, y); vActual stays.
VERSOS_CONSOLA_EXPORT void gotoxy_(int x, int y);
// The tracked cursor, vActual.cursor_x and cursor_y.
VERSOS_CONSOLA_EXPORT int wherex();
VERSOS_CONSOLA_EXPORT int wherey();
// Copies vActual.
VERSOS_CONSOLA_EXPORT void gettextinfo(TextInfo* target);

// Blanks the whole window in text_attr; the cursor stays where it was.
VERSOS_CONSOLA_EXPORT void clrscr();
// Blanks from the cursor to the window's right edge; the cursor stays.
VERSOS_CONSOLA_EXPORT void clreol();
// The cursor row and those below move down one row (the bottom row is lost)
// and the cursor row is blanked; the cursor goes to column 1 of its row.
VERSOS_CONSOLA_EXPORT void insline();
// The rows below the cursor row move up onto it and the bottom row is
// blanked; the cursor goes to column 1 of its row.
VERSOS_CONSOLA_EXPORT void delline();
// Copies a rectangle (window coordinates) so that its top-left cell lands on
// (target_left, target_top); source cells that the copy does not cover are
// blanked in text_attr. Returns 0.
VERSOS_CONSOLA_EXPORT int movetext(int left, int top, int right, int bottom, int target_left, int target_top);
// Cell buffers hold 2 bytes a cell, the character then its attribute, row by
// row from the rectangle's top-left cell; (right - left + 1) * (bottom - top
// + 1) cells; rectangles in window coordinates. Cells off the screen are
// skipped (gettext_ leaves them as they were in the buffer). Both return 1,
// or 0 when the rectangle is empty or wholly off the screen or the console
// can't be read or written.
VERSOS_CONSOLA_EXPORT int gettext_(int left, int top, int right, int bottom, void* cells);
VERSOS_CONSOLA_EXPORT int puttext(int left, int top, int right, int bottom, const void* cells);

// Writes the low byte of c at the cursor and advances it; past the right
// edge to column 1 of the next row, past the bottom row the window scrolls
// up one row and the cursor stays on the bottom row. Returns 0.
VERSOS_CONSOLA_EXPORT int putch_(int c);
// Writes the text at the cursor, wrapping and scrolling as putch_ does.
// Returns the text's length.
VERSOS_CONSOLA_EXPORT int cputs(const char* text);
// Formats as printf does, then cputs; a text of any length is written
// whole. Returns the count of characters formatted.
VERSOS_CONSOLA_EXPORT int cprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Each sets the console's attribute and text_attr to the new attribute.
VERSOS_CONSOLA_EXPORT void textattr(int attribute);
// The colour over the console's background; returns the new attribute.
VERSOS_CONSOLA_EXPORT int textcolor(int colour);
// The colour, shifted into the high 4 bits, under the console's foreground.
VERSOS_CONSOLA_EXPORT void textbackground(int colour);
// text_attr with bit 3 set, cleared, or normal_attr.
VERSOS_CONSOLA_EXPORT void highvideo();
VERSOS_CONSOLA_EXPORT void lowvideo();
VERSOS_CONSOLA_EXPORT void normvideo();
// Does nothing; vActual.text_mode stays 3.
VERSOS_CONSOLA_EXPORT void textmode();
// 0 hides the cursor, 1 shows a full block, 2 a thin cursor; other values
// change nothing.
VERSOS_CONSOLA_EXPORT void _setcursortype(int type);

// One key's byte, 0..255, unechoed, without waiting for Enter. Cursor and
// editing keys come as two bytes, 224 (or 0 for F1..F10) then their code.
VERSOS_CONSOLA_EXPORT int getch_();
// As getch_, and the byte is echoed where the console's cursor really is, as
// the runtime's putch writes it: after the program's stdio output on a
// terminal, where that output ended; the tracked cursor stays.
VERSOS_CONSOLA_EXPORT int getche_();
// 1 if a key waits, else 0; nothing is consumed. 1 at the end of standard
// input too, so that a polling loop reaches the read that ends it. Called
// again at once after it gave 0, it sleeps a few milliseconds unless a key
// comes first, so that `while (!kbhit_());` does not keep a core busy.
VERSOS_CONSOLA_EXPORT int kbhit_();
// Puts c in front of the keys that wait; returns c, or -1 if refused.
VERSOS_CONSOLA_EXPORT int ungetch(int c);
// buffer[0] holds the maximum count, an unsigned byte (0..255). Reads
// characters, echoing each with putch_, up to Enter (not kept) or the
// maximum; every other byte, Backspace too, is kept. buffer[1] receives the
// count, the text starts at buffer + 2 and ends with a NUL, so the buffer
// holds maximum + 3 bytes. Returns buffer + 2.
VERSOS_CONSOLA_EXPORT char* cgets(char* buffer);
// Writes the prompt and reads up to 8 characters unechoed, until Enter.
// Returns a buffer of its own, valid until the next call.
// The name is the routine's own and stays. <unistd.h> declares a getpass
// too, so where both are seen call it versos::getpass: after
// `using namespace versos;` a bare getpass(...) is ambiguous.
VERSOS_CONSOLA_EXPORT char* getpass(const char* prompt);

}  // namespace versos
