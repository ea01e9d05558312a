// Clearing the window and lines, inserting and deleting lines.
#include <versos/consola/text_window.h>

#include "lib/console/window_state.h"

namespace versos {

using console::Batch;

void clrscr() {
    Batch batch;
    for (int row = 1; row <= vActual.window_height; ++row) {
        batch->fill(console::screen_cell(1, row), vActual.window_width, console::blank_cell());
    }
    gotoxy(vActual.cursor_x, vActual.cursor_y);
}

void clreol() {
    Batch batch;
    const int count = vActual.window_width - vActual.cursor_x + 1;
    batch->fill(console::screen_cell(vActual.cursor_x, vActual.cursor_y), count, console::blank_cell());
    gotoxy(vActual.cursor_x, vActual.cursor_y);
}

void insline() {
    Batch batch;
    const console::Rect area = console::window_area();
    const console::Point row = console::screen_cell(1, vActual.cursor_y);
    const console::Rect from_row{area.left, row.y, area.right, area.bottom};
    batch->scroll(from_row, &area, {row.x, row.y + 1}, console::blank_cell());
    vActual.cursor_x = 1;
    gotoxy(1, vActual.cursor_y);
}

void delline() {
    Batch batch;
    console::remove_window_row(*batch, vActual.cursor_y);
    vActual.cursor_x = 1;
    gotoxy(1, vActual.cursor_y);
}

}  // namespace versos
