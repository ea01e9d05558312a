// The cells of a console's screen buffer and the device seam's cell
// operations on them (writing, filling, scrolling with a clip, rectangles),
// clipped to the buffer: the one place their rules are written, for both
// devices. Each operation records the cells it set, cell by cell (and the
// span of them row by row), for a device that draws them (the terminal's
// next paint), and which cells any operation ever set: the others are not
// the console's, and a terminal shows there what others drew.
#pragma once

#include <vector>

#include "lib/console/device.h"

namespace versos::console {

class CellGrid {
public:
    explicit CellGrid(Size size) { resize(size); }

    // Grows to at least `size`; cells keep their places, new ones are blank
    // in attribute 0x07.
    void resize(Size size);
    Size size() const { return size_; }
    int columns() const { return size_.columns; }
    int rows() const { return size_.rows; }
    const Cell* row(int y) const { return &cells_[static_cast<std::size_t>(y) * size_.columns]; }
    bool contains(Point p) const { return p.x >= 0 && p.y >= 0 && p.x < size_.columns && p.y < size_.rows; }

    // The operations of Device, with the rules device.h gives them; write
    // returns where the cursor ends.
    Point write(Point cursor, const char* text, int length, unsigned char attr);
    void fill(Point from, int count, Cell with);
    // The source and the clip as the screen cuts them.
    struct ScrollBounds {
        Rect source, clip;
    };
    ScrollBounds scroll(Rect source, const Rect* clip, Point to, Cell fill);
    bool read(Rect area, Cell* out) const;
    bool write(Rect area, const Cell* cells);

    // Columns of row y changed since clear_changes(y): [low, high], empty
    // when low > high. Within it, changed() tells the cells set.
    struct Span {
        int low, high;
    };
    Span changes(int y) const { return changes_[y]; }
    bool changed(int x, int y) const { return flags_[index(x, y)] & kChanged; }
    // Set by some operation since the grid was made.
    bool drawn(int x, int y) const { return flags_[index(x, y)] & kDrawn; }
    int first_changed_row() const { return first_changed_; }
    int last_changed_row() const { return last_changed_; }
    void clear_changes();
    void mark_changed(int y, int low, int high);
    // Every cell ever drawn counts as changed.
    void mark_drawn_changed();
    // The cells as they are, with their flags: what a message box puts back
    // whole when it goes.
    struct Saved {
        std::vector<Cell> cells;
        std::vector<unsigned char> flags;
    };
    Saved save() const { return Saved{cells_, flags_}; }
    // Of the same size; nothing counts as changed after it.
    void restore(const Saved& saved);

private:
    static constexpr unsigned char kChanged = 1, kDrawn = 2;
    std::size_t index(int x, int y) const { return static_cast<std::size_t>(y) * size_.columns + x; }
    // Cells from `index` on, in reading order.
    void mark_run(long index, long count);
    Cell& at(int x, int y) { return cells_[index(x, y)]; }

    Size size_{0, 0};
    std::vector<Cell> cells_;
    std::vector<unsigned char> flags_;
    std::vector<Cell> scratch_;  // scroll's copy of its source
    std::vector<Span> changes_;
    int first_changed_ = 0, last_changed_ = -1;
};

}  // namespace versos::console
