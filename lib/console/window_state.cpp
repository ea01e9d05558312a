#include "lib/console/window_state.h"

#include <algorithm>
#include <cstdint>

namespace versos {

TextInfo vActual = {0, 0, 79, 24, 0x0F, 0x0F, 3, 25, 80, 1, 1};

}  // namespace versos

namespace versos::console {
namespace {

constexpr std::int64_t kFar = std::int64_t{1} << 28;

// A screen coordinate from window coordinates: one far off the screen stays
// off it, without overflowing an int.
int screen_coordinate(std::int64_t v) { return static_cast<int>(std::clamp(v, -kFar, kFar)); }

}  // namespace

Point screen_cell(int x, int y) {
    return {screen_coordinate(std::int64_t{vActual.window_left} + x - 1),
            screen_coordinate(std::int64_t{vActual.window_top} + y - 1)};
}

Rect window_area() { return {vActual.window_left, vActual.window_top, vActual.window_right, vActual.window_bottom}; }

Cell blank_cell() { return {' ', vActual.text_attr}; }

void show_cursor_at_tracked(Device& console) { console.set_cursor(screen_cell(vActual.cursor_x, vActual.cursor_y)); }

void remove_window_row(Device& console, int row) {
    const Rect area = window_area();
    const Point onto = screen_cell(1, row);
    if (row >= vActual.window_height) {
        // Nothing below to move up: the row is simply cleared.
        console.fill(onto, vActual.window_width, blank_cell());
        return;
    }
    const Rect below{area.left, onto.y + 1, area.right, area.bottom};
    console.scroll(below, &area, onto, blank_cell());
}

}  // namespace versos::console
