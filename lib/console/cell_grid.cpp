#include "lib/console/cell_grid.h"

#include <algorithm>

namespace versos::console {
namespace {

bool inside(Rect r, int x, int y) { return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom; }

// Where cell (x, y) of `area` is in a buffer laid out row by row.
long long offset_in(Rect area, int x, int y) {
    long long width = static_cast<long long>(area.right) - area.left + 1;
    return (static_cast<long long>(y) - area.top) * width + (static_cast<long long>(x) - area.left);
}

}  // namespace

void CellGrid::resize(Size size) {
    Size grown{std::max(size.columns, size_.columns), std::max(size.rows, size_.rows)};
    if (grown.columns == size_.columns && grown.rows == size_.rows) return;
    std::vector<Cell> cells(static_cast<std::size_t>(grown.columns) * grown.rows);
    std::vector<unsigned char> flags(cells.size(), 0);
    for (int y = 0; y < size_.rows; ++y) {
        std::copy_n(row(y), size_.columns, &cells[static_cast<std::size_t>(y) * grown.columns]);
        std::copy_n(&flags_[index(0, y)], size_.columns, &flags[static_cast<std::size_t>(y) * grown.columns]);
    }
    cells_.swap(cells);
    flags_.swap(flags);
    scratch_.resize(cells_.size());
    changes_.resize(grown.rows, Span{0, -1});
    size_ = grown;
}

void CellGrid::clear_changes() {
    for (int y = first_changed_; y <= last_changed_; ++y) {
        const Span s = changes_[y];
        for (int x = s.low; x <= s.high; ++x) flags_[index(x, y)] &= static_cast<unsigned char>(~kChanged);
        changes_[y] = Span{0, -1};
    }
    first_changed_ = 0;
    last_changed_ = -1;
}

void CellGrid::mark_changed(int y, int low, int high) {
    for (int x = low; x <= high; ++x) flags_[index(x, y)] |= kChanged | kDrawn;
    Span& s = changes_[y];
    if (s.low > s.high) {
        s = Span{low, high};
    } else {
        s.low = std::min(s.low, low);
        s.high = std::max(s.high, high);
    }
    if (last_changed_ < first_changed_) {
        first_changed_ = last_changed_ = y;
    } else {
        first_changed_ = std::min(first_changed_, y);
        last_changed_ = std::max(last_changed_, y);
    }
}

void CellGrid::mark_drawn_changed() {
    for (int y = 0; y < size_.rows; ++y)
        for (int x = 0; x < size_.columns; ++x)
            if (drawn(x, y)) mark_changed(y, x, x);
}

void CellGrid::restore(const Saved& saved) {
    if (saved.cells.size() != cells_.size()) return;
    clear_changes();
    cells_ = saved.cells;
    flags_ = saved.flags;
}

void CellGrid::mark_run(long index, long count) {
    long w = size_.columns;
    long end = index + count - 1;
    for (long y = index / w; y <= end / w; ++y)
        mark_changed(static_cast<int>(y), y == index / w ? static_cast<int>(index % w) : 0,
                     y == end / w ? static_cast<int>(end % w) : static_cast<int>(w - 1));
}

Point CellGrid::write(Point cursor, const char* text, int length, unsigned char attr) {
    if (length <= 0 || !contains(cursor)) return cursor;
    long total = static_cast<long>(cells_.size());
    long index = static_cast<long>(cursor.y) * size_.columns + cursor.x;
    long n = std::min<long>(length, total - index);
    for (long i = 0; i < n; ++i) cells_[index + i] = Cell{static_cast<unsigned char>(text[i]), attr};
    mark_run(index, n);
    long next = std::min(index + static_cast<long>(length), total - 1);
    return Point{static_cast<int>(next % size_.columns), static_cast<int>(next / size_.columns)};
}

void CellGrid::fill(Point from, int count, Cell with) {
    if (count <= 0 || !contains(from)) return;
    long index = static_cast<long>(from.y) * size_.columns + from.x;
    long n = std::min<long>(count, static_cast<long>(cells_.size()) - index);
    std::fill_n(cells_.begin() + index, n, with);
    mark_run(index, n);
}

CellGrid::ScrollBounds CellGrid::scroll(Rect source, const Rect* clip, Point to, Cell fill) {
    Rect screen{0, 0, size_.columns - 1, size_.rows - 1};
    Rect from = source.overlap(screen);
    Rect limit = clip ? clip->overlap(screen) : screen;
    if (from.empty() || limit.empty()) return {from, limit};
    // An offset of more than the screen puts the copy wholly outside it.
    long long dx = static_cast<long long>(to.x) - source.left, dy = static_cast<long long>(to.y) - source.top;
    Rect dest;
    if (dx >= -size_.columns && dx <= size_.columns && dy >= -size_.rows && dy <= size_.rows)
        dest = Rect{from.left + static_cast<int>(dx), from.top + static_cast<int>(dy),
                    from.right + static_cast<int>(dx), from.bottom + static_cast<int>(dy)};

    int w = from.width();
    for (int y = from.top; y <= from.bottom; ++y)
        std::copy_n(row(y) + from.left, w, &scratch_[static_cast<std::size_t>(y - from.top) * w]);
    Rect changed = from.overlap(limit);
    for (int y = changed.top; y <= changed.bottom; ++y)
        for (int x = changed.left; x <= changed.right; ++x)
            if (!inside(dest, x, y)) at(x, y) = fill;
    Rect target = dest.overlap(limit);
    for (int y = target.top; y <= target.bottom; ++y)
        for (int x = target.left; x <= target.right; ++x)
            at(x, y) = scratch_[static_cast<std::size_t>(y - dest.top) * w + (x - dest.left)];

    for (Rect r : {changed, target})
        for (int y = r.top; y <= r.bottom; ++y) mark_changed(y, r.left, r.right);
    return {from, limit};
}

bool CellGrid::read(Rect area, Cell* out) const {
    Rect r = area.overlap(Rect{0, 0, size_.columns - 1, size_.rows - 1});
    if (area.empty() || r.empty()) return false;
    for (int y = r.top; y <= r.bottom; ++y) std::copy_n(row(y) + r.left, r.width(), out + offset_in(area, r.left, y));
    return true;
}

bool CellGrid::write(Rect area, const Cell* cells) {
    Rect r = area.overlap(Rect{0, 0, size_.columns - 1, size_.rows - 1});
    if (area.empty() || r.empty()) return false;
    for (int y = r.top; y <= r.bottom; ++y) {
        std::copy_n(cells + offset_in(area, r.left, y), r.width(), &at(r.left, y));
        mark_changed(y, r.left, r.right);
    }
    return true;
}

}  // namespace versos::console
