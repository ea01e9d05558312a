// The console text window: a window within the screen with 1-based
// coordinates of its own, a tracked cursor, the 16 colours of the Windows
// console, output that wraps at the window's right edge and scrolls the
// window, lines inserted and deleted, rectangles of cells read, written and
// moved, the cursor's shape, and an unechoed keyboard with push-back.
//
// Every routine draws at once. On a terminal the text is shown in code page
// 850 (as the console shows it); without a terminal, output through these
// routines is dropped and a key read returns at once.
#pragma once

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
extern TextInfo vActual;

// Attributes are Windows console attributes: colours 0..15 with bit 0
// blue, bit 1 green, bit 2 red and bit 3 bright, the foreground in the low
// 4 bits and the background in the high 4.

// The window, from 1-based screen coordinates; the cursor goes to (1, 1)
// and the window is cleared. The arguments are not checked.
void window(int left, int top, int right, int bottom);
// Moves the cursor within the window; ignored outside 1..width, 1..height.
void gotoxy(int x, int y);
// Moves the console cursor to the 0-based screen cell (x, y); vActual stays.
void gotoxy_(int x, int y);
int wherex();
int wherey();
void gettextinfo(TextInfo* target);

void clrscr();
void clreol();
void insline();
void delline();
// Copies a rectangle (window coordinates) so that its top-left cell lands on
// (target_left, target_top); source cells that the copy does not cover are
// blanked in text_attr. Returns 0.
int movetext(int left, int top, int right, int bottom, int target_left, int target_top);
// Cell buffers hold 2 bytes a cell, the character then its attribute, row by
// row from the rectangle's top-left cell; (right - left + 1) * (bottom - top
// + 1) cells. Both return 0 on failure.
int gettext_(int left, int top, int right, int bottom, void* cells);
int puttext(int left, int top, int right, int bottom, const void* cells);

// Writes the low byte of c at the cursor and advances it. Returns 0.
int putch_(int c);
// Writes the text at the cursor, wrapping at the window's right edge and
// scrolling the window at its bottom. Returns the text's length.
int cputs(const char* text);
// Formats as printf does, then cputs; a text of any length is written
// whole. Returns the count of characters formatted.
int cprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

void textattr(int attribute);
// Foreground colour over the console's background; returns the new attribute.
int textcolor(int colour);
void textbackground(int colour);
void highvideo();
void lowvideo();
void normvideo();
void textmode();
// 0 hides the cursor, 1 shows a full block, 2 a thin cursor; other values
// change nothing.
void _setcursortype(int type);

// One key's byte, 0..255, unechoed, without waiting for Enter. Cursor and
// editing keys come as two bytes, 224 (or 0 for F1..F10) then their code.
int getch_();
// As getch_, and the byte is echoed at the console cursor.
int getche_();
// 1 if a key waits, else 0; nothing is consumed.
int kbhit_();
// Puts c in front of the keys that wait; returns c, or -1 if refused.
int ungetch(int c);
// buffer[0] holds the maximum count (1..255). Reads and echoes characters up
// to Enter or the maximum; buffer[1] receives the count, the text starts at
// buffer + 2 and ends with a NUL, so the buffer holds maximum + 3 bytes.
char* cgets(char* buffer);
// Writes the prompt and reads up to 8 characters unechoed, until Enter.
// Returns a buffer of its own, valid until the next call.
char* getpass(const char* prompt);

}  // namespace versos
