// The window and the cursor within it.
#include <versos/consola/text_window.h>

#include "lib/console/window_state.h"

namespace versos {

using console::Batch;

void window(int left, int top, int right, int bottom) {
    Batch batch;
    vActual.window_left = static_cast<unsigned char>(left - 1);
    vActual.window_top = static_cast<unsigned char>(top - 1);
    vActual.window_right = static_cast<unsigned char>(right - 1);
    vActual.window_bottom = static_cast<unsigned char>(bottom - 1);
    vActual.window_height = static_cast<unsigned char>(bottom - top + 1);
    vActual.window_width = static_cast<unsigned char>(right - left + 1);
    vActual.cursor_x = 1;
    vActual.cursor_y = 1;
    clrscr();
}

void gotoxy(int x, int y) {
    if (x < 1 || x > vActual.window_width || y < 1 || y > vActual.window_height) return;
    Batch batch;
    vActual.cursor_x = static_cast<unsigned char>(x);
    vActual.cursor_y = static_cast<unsigned char>(y);
    batch->set_cursor(console::screen_cell(x, y));
}

void gotoxy_(int x, int y) {
    Batch batch;
    batch->set_cursor({x, y});
}

int wherex() { return vActual.cursor_x; }
int wherey() { return vActual.cursor_y; }

void gettextinfo(TextInfo* target) {
    if (target) *target = vActual;
}

}  // namespace versos
