// Text written at the cursor, wrapping at the window's right edge and
// scrolling the window at its bottom.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include <versos/consola/text_window.h>

#include "lib/console/window_state.h"

namespace versos {

using console::Batch;

namespace {

// To column 1 of the next row; past the bottom row the cursor stays on it
// and the window scrolls up one row.
void next_row(console::Device& console) {
    vActual.cursor_x = 1;
    if (vActual.cursor_y >= vActual.window_height) {
        vActual.cursor_y = vActual.window_height;
        console::remove_window_row(console, 1);
    } else {
        ++vActual.cursor_y;
    }
}

}  // namespace

int putch_(int c) {
    Batch batch;
    const char byte = static_cast<char>(c);
    batch->set_cursor(console::screen_cell(vActual.cursor_x, vActual.cursor_y));
    batch->write(&byte, 1);
    if (vActual.cursor_x >= vActual.window_width) {
        next_row(*batch);
    } else {
        ++vActual.cursor_x;
    }
    // The console cursor shows where the next character goes, also after a
    // wrap, rather than past the window's edge.
    console::show_cursor_at_tracked(*batch);
    return 0;
}

int cputs(const char* text) {
    const int length = static_cast<int>(std::strlen(text));
    const int width = vActual.window_width;
    if (width == 0) return length;  // no column to write in; no piece could ever be written
    Batch batch;
    for (int done = 0; done < length;) {
        // A cursor beyond the right edge (vActual set by hand) starts on the
        // next row, as the edge's arithmetic would take it there.
        if (vActual.cursor_x > width) next_row(*batch);
        const int room = width - vActual.cursor_x + 1;
        const int piece = length - done < room ? length - done : room;
        batch->set_cursor(console::screen_cell(vActual.cursor_x, vActual.cursor_y));
        batch->write(text + done, piece);
        done += piece;
        if (piece == room) {
            next_row(*batch);
        } else {
            vActual.cursor_x = static_cast<unsigned char>(vActual.cursor_x + piece);
        }
    }
    console::show_cursor_at_tracked(*batch);
    return length;
}

int cprintf(const char* format, ...) {
    char fixed[1024] = {};
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    const int count = std::vsnprintf(fixed, sizeof fixed, format, args);
    va_end(args);
    if (count < 0 || count < static_cast<int>(sizeof fixed)) {
        va_end(again);
        if (count >= 0) cputs(fixed);
        return count;
    }
    // Too long for the fixed buffer: formatted again, whole. Should even
    // that buffer not be had, what fitted is written.
    const std::unique_ptr<char[]> whole(new (std::nothrow) char[static_cast<std::size_t>(count) + 1]);
    if (whole) std::vsnprintf(whole.get(), static_cast<std::size_t>(count) + 1, format, again);
    va_end(again);
    cputs(whole ? whole.get() : fixed);
    return count;
}

}  // namespace versos
