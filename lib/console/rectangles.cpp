// Rectangles of cells: moved, read into and written from a caller's buffer.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include <versos/consola/text_window.h>

#include "lib/console/window_state.h"

namespace versos {

using console::Batch;
using console::Cell;
using console::Rect;

namespace {

Rect screen_rect(int left, int top, int right, int bottom) {
    const console::Point from = console::screen_cell(left, top), to = console::screen_cell(right, bottom);
    return {from.x, from.y, to.x, to.y};
}

// The caller's buffer is taken through a fixed array, a row piece at a
// time, so that nothing need be obtained and the caller's bytes are never
// read as console cells. Only the pieces on the screen are visited, however
// large the rectangle; each one is given to `step` with its offset in cells
// within the caller's buffer. True if any step succeeded.
constexpr int kPiece = 128;

template <typename Step>
bool by_pieces(Rect area, console::Size screen, Step step) {
    if (area.empty()) return false;
    const int top = std::max(area.top, 0), bottom = std::min(area.bottom, screen.rows - 1);
    const int left = std::max(area.left, 0), right = std::min(area.right, screen.columns - 1);
    bool done = false;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; x += kPiece) {
            const Rect piece{x, y, std::min(right, x + kPiece - 1), y};
            const std::size_t offset = static_cast<std::size_t>(y - area.top) * static_cast<std::size_t>(area.width()) +
                                       static_cast<std::size_t>(x - area.left);
            done = step(piece, offset) || done;
        }
    }
    return done;
}

}  // namespace

int movetext(int left, int top, int right, int bottom, int target_left, int target_top) {
    Batch batch;
    batch->scroll(screen_rect(left, top, right, bottom), nullptr, console::screen_cell(target_left, target_top),
                  console::blank_cell());
    return 0;
}

int gettext_(int left, int top, int right, int bottom, void* cells) {
    Batch batch;
    auto* out = static_cast<unsigned char*>(cells);
    const Rect area = screen_rect(left, top, right, bottom);
    return by_pieces(area, batch->size(), [&](Rect piece, std::size_t offset) {
        Cell read[kPiece];
        const std::size_t bytes = static_cast<std::size_t>(piece.width()) * sizeof(Cell);
        std::memcpy(read, out + offset * sizeof(Cell), bytes);  // cells the device skips stay as they were
        if (!batch->read_cells(piece, read)) return false;
        std::memcpy(out + offset * sizeof(Cell), read, bytes);
        return true;
    });
}

int puttext(int left, int top, int right, int bottom, const void* cells) {
    Batch batch;
    const auto* in = static_cast<const unsigned char*>(cells);
    const Rect area = screen_rect(left, top, right, bottom);
    return by_pieces(area, batch->size(), [&](Rect piece, std::size_t offset) {
        Cell written[kPiece];
        std::memcpy(written, in + offset * sizeof(Cell), static_cast<std::size_t>(piece.width()) * sizeof(Cell));
        return batch->write_cells(piece, written);
    });
}

}  // namespace versos
