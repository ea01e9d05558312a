// What the text-window routines share: vActual read as screen geometry, and
// the steps that several routines take alike.
#pragma once

#include <versos/consola/text_window.h>

#include "lib/console/device.h"

namespace versos::console {

// The screen cell of window cell (x, y). Far-off arguments are pulled in to
// a distance that no screen reaches, so that no sum overflows.
Point screen_cell(int x, int y);
// The window's cells on the screen.
Rect window_area();
// A blank in text_attr, as clearing and scrolling leave cells.
Cell blank_cell();
// The device cursor to the tracked cursor's cell.
void show_cursor_at_tracked(Device& console);
// Rows below window row `row` move up onto it; the bottom row becomes blank.
// Scrolling the window is removing its first row.
void remove_window_row(Device& console, int row);

}  // namespace versos::console
