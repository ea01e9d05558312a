#include "lib/console/memory_device.h"

#include <algorithm>
#include <cstddef>

namespace versos::console {
namespace {

Rect intersect(Rect a, Rect b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool contains(Rect r, int x, int y) { return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom; }

// Offset of (x, y) in a row-by-row buffer of `area`'s cells.
std::size_t offset_in(Rect area, int x, int y) {
    return static_cast<std::size_t>(y - area.top) * static_cast<std::size_t>(area.width()) +
           static_cast<std::size_t>(x - area.left);
}

}  // namespace

MemoryConsole::MemoryConsole(Size size)
    : size_{std::max(size.columns, 0), std::max(size.rows, 0)},
      cells_(static_cast<std::size_t>(size_.columns) * static_cast<std::size_t>(size_.rows)) {}

int MemoryConsole::read_key() {
    if (!key_waiting()) return kNoMoreKeys;
    const unsigned char key = keys_.front();
    keys_.pop_front();
    return key;
}

bool MemoryConsole::push_key(unsigned char key) {
    if (!reads_keys_) return false;
    keys_.push_front(key);
    return true;
}

void MemoryConsole::type_keys(std::string_view keys) {
    for (char k : keys) keys_.push_back(static_cast<unsigned char>(k));
}

void MemoryConsole::write(const char* text, int length) {
    count_operation();
    if (!shows_output_) return;
    const int last = size_.columns * size_.rows - 1;
    int at = index(cursor_.x, cursor_.y);
    for (int i = 0; i < length && last >= 0; ++i) {
        cells_[at] = {static_cast<unsigned char>(text[i]), attr_};
        if (at == last) break;
        ++at;
    }
    if (last >= 0) cursor_ = {at % size_.columns, at / size_.columns};
}

void MemoryConsole::set_cursor(Point at) {
    count_operation();
    if (on_screen(at.x, at.y)) cursor_ = at;
}

void MemoryConsole::set_cursor_shape(CursorShape shape) {
    count_operation();
    shape_ = shape;
}

void MemoryConsole::set_attribute(unsigned char attr) {
    count_operation();
    attr_ = attr;
}

void MemoryConsole::fill(Point from, int count, Cell with) {
    count_operation();
    if (!shows_output_ || !on_screen(from.x, from.y) || count <= 0) return;
    const int start = index(from.x, from.y);
    const int end = start + std::min(count, size_.columns * size_.rows - start);
    std::fill(cells_.begin() + start, cells_.begin() + end, with);
}

void MemoryConsole::scroll(Rect source, const Rect* clip, Point to, Cell fill) {
    count_operation();
    const Rect screen{0, 0, size_.columns - 1, size_.rows - 1};
    const Rect from = intersect(source, screen);
    if (!shows_output_ || from.empty()) return;
    const Rect limit = clip ? intersect(*clip, screen) : screen;
    const int dx = to.x - source.left, dy = to.y - source.top;
    const Rect landing{from.left + dx, from.top + dy, from.right + dx, from.bottom + dy};
    const std::vector<Cell> before = cells_;
    for (int y = from.top; y <= from.bottom; ++y) {
        for (int x = from.left; x <= from.right; ++x) {
            if (contains(limit, x, y) && !contains(landing, x, y)) cells_[index(x, y)] = fill;
            if (contains(limit, x + dx, y + dy)) cells_[index(x + dx, y + dy)] = before[index(x, y)];
        }
    }
}

bool MemoryConsole::read_cells(Rect area, Cell* out) const {
    const Rect seen = intersect(area, {0, 0, size_.columns - 1, size_.rows - 1});
    if (!shows_output_ || seen.empty()) return false;
    for (int y = seen.top; y <= seen.bottom; ++y) {
        for (int x = seen.left; x <= seen.right; ++x) out[offset_in(area, x, y)] = cells_[index(x, y)];
    }
    return true;
}

bool MemoryConsole::write_cells(Rect area, const Cell* cells) {
    count_operation();
    const Rect seen = intersect(area, {0, 0, size_.columns - 1, size_.rows - 1});
    if (!shows_output_ || seen.empty()) return false;
    for (int y = seen.top; y <= seen.bottom; ++y) {
        for (int x = seen.left; x <= seen.right; ++x) cells_[index(x, y)] = cells[offset_in(area, x, y)];
    }
    return true;
}

void MemoryConsole::begin_batch() {
    if (batch_depth_++ == 0) ++outermost_batches_;
}

std::string MemoryConsole::row_text(int y, int from, int to) const {
    if (to < 0) to = size_.columns - 1;
    std::string text;
    for (int x = from; x <= to; ++x) text += static_cast<char>(at(x, y).ch);
    return text;
}

}  // namespace versos::console
