#include "tests/support/memory_console.h"

#include <algorithm>

namespace versos::console {

MemoryConsole::MemoryConsole(Size size) : cells_({std::max(size.columns, 0), std::max(size.rows, 0)}) {}

int MemoryConsole::read_key() {
    last_began_pair_ = false;
    if (!key_waiting()) return kNoMoreKeys;
    const Key key = keys_.front();
    keys_.pop_front();
    last_began_pair_ = key.begins_pair;
    return key.byte;
}

bool MemoryConsole::push_key(unsigned char key) {
    if (!reads_keys_) return false;
    keys_.push_front(Key{key, key == 0 || key == 224});
    return true;
}

bool MemoryConsole::key_comes(int within_ms) {
    if (key_waiting()) return true;
    if (within_ms != 0) ++waits_;
    return false;
}

void MemoryConsole::type_keys(std::string_view keys) {
    bool second = false;
    for (char k : keys) {
        const auto byte = static_cast<unsigned char>(k);
        const bool begins = !second && (byte == 0 || byte == 224);
        keys_.push_back(Key{byte, begins});
        second = begins;
    }
}

// Nobody draws these cells: what each operation changed need not be kept.
void MemoryConsole::write(const char* text, int length) {
    count_operation();
    if (!shows_output_) return;
    cursor_ = cells_.write(cursor_, text, length, attr_);
    cells_.clear_changes();
}

void MemoryConsole::set_cursor(Point at) {
    count_operation();
    if (cells_.contains(at)) cursor_ = at;
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
    if (!shows_output_) return;
    cells_.fill(from, count, with);
    cells_.clear_changes();
}

void MemoryConsole::scroll(Rect source, const Rect* clip, Point to, Cell fill) {
    count_operation();
    if (!shows_output_) return;
    cells_.scroll(source, clip, to, fill);
    cells_.clear_changes();
}

bool MemoryConsole::read_cells(Rect area, Cell* out) const { return shows_output_ && cells_.read(area, out); }

bool MemoryConsole::write_cells(Rect area, const Cell* cells) {
    count_operation();
    if (!shows_output_) return false;
    const bool written = cells_.write(area, cells);
    cells_.clear_changes();
    return written;
}

void MemoryConsole::begin_batch() {
    if (batch_depth_++ == 0) ++outermost_batches_;
}

std::string MemoryConsole::row_text(int y, int from, int to) const {
    if (to < 0) to = cells_.columns() - 1;
    std::string text;
    for (int x = from; x <= to; ++x) text += static_cast<char>(at(x, y).ch);
    return text;
}

}  // namespace versos::console
