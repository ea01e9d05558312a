#include "lib/console/terminal/screen.h"

#include <algorithm>
#include <cstring>

#include "lib/charsets/cp850.h"

namespace versos::console {
namespace {

// 0x00 shows blank as the space does; a blank shows its background only.
bool is_blank(Cell c) { return c.ch == ' ' || c.ch == 0; }

// Cells a cursor move may be replaced by writing them again.
constexpr int kMostRewritten = 8;

}  // namespace

Screen::Look Screen::look_of(Cell c) {
    return is_blank(c) ? static_cast<Look>(0x2000 | (c.attr & 0xF0)) : static_cast<Look>(c.ch << 8 | c.attr);
}

void Screen::set_visible(Size size) {
    visible_ = size;
    shown_.assign(static_cast<std::size_t>(size.columns) * size.rows, 0);
    forget_pen_and_cursor();
}

void Screen::forget() {
    distrust();
    cells_.mark_drawn_changed();
}

void Screen::distrust() {
    std::fill(shown_.begin(), shown_.end(), 0);
    forget_pen_and_cursor();
}

void Screen::overwritten(int y, int x) {
    if (y < 0 || x < 0 || y >= visible_.rows || x >= visible_.columns) return;
    shown(y)[x] = 0;
    if (cells_.drawn(x, y)) cells_.mark_changed(y, x, x);
}

void Screen::rows_lost_at_top(int n) {
    for (int y = 0; y < std::min(n, visible_.rows); ++y)
        for (int x = 0; x < visible_.columns; ++x) overwritten(y, x);
    forget_pen_and_cursor();
}

void Screen::restore_known(const Known& known) {
    if (known.shown.size() == shown_.size()) shown_ = known.shown;
    forget_pen_and_cursor();
    cursor_ = known.cursor;
}

void Screen::on_fresh_screen(const Known& before) {
    distrust();
    const int columns = visible_.columns;
    for (int y = 0; y < visible_.rows && before.shown.size() == shown_.size(); ++y)
        for (int x = 0; x < columns; ++x)
            if (before.shown[static_cast<std::size_t>(y) * columns + x] != 0 || cells_.drawn(x, y))
                cells_.mark_changed(y, x, x);
}

bool Screen::settled(int y, int x) const {
    const Cell* cells = cells_.row(y);
    const Look* s = &shown_[static_cast<std::size_t>(y) * visible_.columns];
    for (int i = x; i < visible_.columns; ++i)
        if (!cells_.changed(i, y) && s[i] != look_of(cells[i])) return false;
    return true;
}

bool Screen::rows_known(int top, int bottom) const {
    for (int y = top; y <= bottom; ++y) {
        const Look* s = &shown_[static_cast<std::size_t>(y) * visible_.columns];
        for (int x = 0; x < visible_.columns; ++x)
            if (s[x] == 0 && !cells_.changed(x, y)) return false;
    }
    return true;
}

void Screen::forget_pen_and_cursor() {
    cursor_ = TermCursor{};
    pen_ = -1;
    last_move_ = LinesMove{};
}

int Screen::background_length(unsigned char attr) const {
    if (pen_ >= 0 && (pen_ & 0xF0) == (attr & 0xF0)) return 0;
    return pen_length(pen_, static_cast<unsigned char>(pen_ >= 0 ? (pen_ & 0x0F) | (attr & 0xF0) : attr), kind_);
}

// Erasing and writing a blank leave the background of the pen; its
// foreground does not show.
void Screen::set_background(Output& out, unsigned char attr) {
    if (pen_ >= 0 && (pen_ & 0xF0) == (attr & 0xF0)) return;
    set_pen(out, pen_, static_cast<unsigned char>(pen_ >= 0 ? (pen_ & 0x0F) | (attr & 0xF0) : attr), kind_);
}

void Screen::go_to(Output& out, int y, int x) {
    if (cursor_.row == y && cursor_.col >= 0 && cursor_.col < x && x - cursor_.col <= kMostRewritten && pen_ >= 0) {
        const Cell* cells = cells_.row(y);
        Look* s = shown(y);
        int bytes = 0;
        bool same_pen = true;
        // Only cells that show what they hold already, or are to be sent
        // anyway, may be written again.
        for (int i = cursor_.col; i < x && same_pen; ++i) {
            Cell c = cells[i];
            same_pen = is_blank(c) ? (pen_ & 0xF0) == (c.attr & 0xF0) : pen_ == c.attr;
            same_pen = same_pen && (s[i] == look_of(c) || cells_.changed(i, y));
            bytes += cp850::utf8(c.ch).length;
        }
        if (same_pen && bytes < move_length(cursor_, y, x)) {
            for (int i = cursor_.col; i < x; ++i) {
                const cp850::Utf8& g = cp850::utf8(cells[i].ch);
                out.put(g.bytes, g.length);
                s[i] = look_of(cells[i]);
            }
            cursor_.col = x;
            return;
        }
    }
    move_cursor(out, cursor_, y, x);
}

void Screen::put_cell(Output& out, int y, int x) {
    Cell c = cells_.row(y)[x];
    if (is_blank(c))
        set_background(out, c.attr);
    else
        set_pen(out, pen_, c.attr, kind_);
    const cp850::Utf8& g = cp850::utf8(c.ch);
    out.put(g.bytes, g.length);
    shown(y)[x] = look_of(c);
    // After the last column the terminal's cursor waits to wrap: where it
    // is then differs between terminals.
    if (x == visible_.columns - 1)
        cursor_ = TermCursor{};
    else
        cursor_.col = x + 1;
}

// The first column of the blank cells of one background that end row y;
// the width when its last cell is not blank.
int Screen::blank_tail(int y) const {
    const Cell* cells = cells_.row(y);
    int x = visible_.columns - 1;
    if (!is_blank(cells[x])) return visible_.columns;
    while (x > 0 && is_blank(cells[x - 1]) && ((cells[x - 1].attr ^ cells[x].attr) & 0xF0) == 0) --x;
    return x;
}

void Screen::paint_row(Output& out, int y, int low, int high) {
    const Cell* cells = cells_.row(y);
    Look* s = shown(y);
    int last = visible_.columns - 1;
    int tail = -1;
    for (int x = low; x <= high; ++x) {
        if (!cells_.changed(x, y) || look_of(cells[x]) == s[x]) continue;
        if (tail < 0) tail = blank_tail(y);
        if (x >= tail && settled(y, x)) {
            int changed = 0;
            for (int i = x; i <= last; ++i) changed += look_of(cells[i]) != s[i];
            // Erasing takes 3 bytes and leaves the cursor where it is.
            if (changed >= 3 || look_of(cells[last]) != s[last]) {
                go_to(out, y, x);
                set_background(out, cells[last].attr);
                erase_to_line_end(out);
                std::fill(s + x, s + last + 1, look_of(cells[last]));
                return;
            }
        }
        // A run of changed blanks of one background, erased in place where
        // that is shorter than writing them.
        if (is_blank(cells[x])) {
            int end = x;
            while (end < high && cells_.changed(end + 1, y) && is_blank(cells[end + 1]) &&
                   ((cells[end + 1].attr ^ cells[x].attr) & 0xF0) == 0)
                ++end;
            while (end > x && look_of(cells[end]) == s[end]) --end;
            const int n = end - x + 1;
            if (n > erase_characters_length(n)) {
                go_to(out, y, x);
                set_background(out, cells[x].attr);
                erase_characters(out, n);
                std::fill(s + x, s + end + 1, look_of(cells[x]));
                x = end;
                continue;
            }
        }
        go_to(out, y, x);
        put_cell(out, y, x);
    }
}

// When the bottom rows are all blank in one background and several of them
// changed, one erase to the end of the screen does for them.
void Screen::erase_below(Output& out) {
    int rows = visible_.rows, columns = visible_.columns;
    Cell corner = cells_.row(rows - 1)[columns - 1];
    auto all_blank = [&](int y) {
        const Cell* cells = cells_.row(y);
        for (int x = 0; x < columns; ++x)
            if (!is_blank(cells[x]) || ((cells[x].attr ^ corner.attr) & 0xF0) != 0) return false;
        return settled(y, 0);
    };
    // The last changed row must be among the erased ones: most often it
    // holds text, and this ends here.
    int last_changed = std::min(rows - 1, cells_.last_changed_row());
    if (!is_blank(corner) || !all_blank(last_changed)) return;
    int top = rows;
    while (top > 0 && (top - 1 == last_changed || all_blank(top - 1))) --top;
    int changed_rows = 0;
    for (int y = std::max(top, cells_.first_changed_row()); y <= last_changed; ++y) {
        CellGrid::Span span = cells_.changes(y);
        const Cell* cells = cells_.row(y);
        const Look* s = shown(y);
        for (int x = std::max(span.low, 0); x <= std::min(span.high, columns - 1); ++x)
            if (cells_.changed(x, y) && look_of(cells[x]) != s[x]) {
                ++changed_rows;
                break;
            }
    }
    if (changed_rows < 2) return;
    go_to(out, top, 0);
    set_background(out, corner.attr);
    erase_to_screen_end(out);
    std::fill(shown(top), shown(rows - 1) + columns, look_of(corner));
}

void Screen::paint(Output& out) {
    int first = std::max(cells_.first_changed_row(), 0);
    int last = std::min(cells_.last_changed_row(), visible_.rows - 1);
    if (last - first + 1 >= 4) erase_below(out);
    for (int y = first; y <= last; ++y) {
        CellGrid::Span span = cells_.changes(y);
        int low = std::max(span.low, 0), high = std::min(span.high, visible_.columns - 1);
        if (low <= high) paint_row(out, y, low, high);
    }
    cells_.clear_changes();
    last_move_ = LinesMove{};  // what comes next is sent apart from it
}

void Screen::place_cursor(Output& out, Point at) {
    if (at.x >= 0 && at.y >= 0 && at.x < visible_.columns && at.y < visible_.rows) go_to(out, at.y, at.x);
}

// Cells that would show right, less those that would show wrong, were the
// terminal's lines top..bottom moved up (n > 0) or down by |n| rows.
long Screen::lines_saving(int top, int bottom, int n, Look new_line) {
    const int columns = visible_.columns;
    const std::size_t bytes = static_cast<std::size_t>(columns) * sizeof(Look);
    long saved = 0;
    for (int y = top; y <= bottom; ++y) {
        const int from = y + n;
        const Look* now = shown(y);
        const Look* moved = from >= top && from <= bottom ? shown(from) : nullptr;
        // A line that would show what it shows already changes nothing.
        if (moved && std::memcmp(moved, now, bytes) == 0) continue;
        const Cell* cells = cells_.row(y);
        for (int x = 0; x < columns; ++x) {
            const Look k = look_of(cells[x]);
            saved += (k != now[x]) - (k != (moved ? moved[x] : new_line));
        }
    }
    return saved;
}

// Either the band alone moves: DL at its top and IL below it for up, the
// other way round for down, so that the lines below stay; or the lines below
// move with it, one DL or IL, where they show the same either way (most often
// blank), as when the band is a narrow window. Only lines whose every cell is
// known (or to be sent anyway) may move: what the console did not draw stays
// where it is.
int Screen::cheapest_band_bottom(int top, int bottom, int n, unsigned char fill_attr) {
    const int m = n < 0 ? -n : n;
    const int last = visible_.rows - 1;
    const Look new_line = look_of(Cell{' ', fill_attr});
    const long pen = background_length(fill_attr);
    if (!rows_known(top, bottom)) return -1;
    long best = rows_known(bottom + 1, last)
                    ? lines_saving(top, last, n, new_line) - (pen + move_length(cursor_, top, 0) + lines_length(m))
                    : 0;
    bool through_bottom = best > 0;
    if (bottom < last) {
        const int first_row = n > 0 ? top : bottom - m + 1;
        const int second_row = n > 0 ? bottom - m + 1 : top;
        const long cost = pen + move_length(cursor_, first_row, 0) + lines_length(m) +
                          move_length(TermCursor{first_row, -1}, second_row, 0) + lines_length(m);
        const long gain = lines_saving(top, bottom, n, new_line) - cost;
        if (gain > best) {
            best = gain;
            through_bottom = false;
        }
    }
    if (best <= 0) return -1;
    return through_bottom ? last : bottom;
}

// A move of the same lines the same way right after the last one (a window
// that scrolls twice in one call) joins it: one DL of 2 rather than two of 1.
int Screen::rows_with_last_move(Output& out, int top, int bottom, int n, Look new_line) {
    const int m = n < 0 ? -n : n;
    int rows = m;
    const LinesMove& before = last_move_;
    if (before.end == out.size() && before.end > 0 && before.top == top && before.bottom == bottom &&
        (before.n > 0) == (n > 0) && before.new_line == new_line && before.rows + m < bottom - top + 1) {
        out.truncate(before.start);
        cursor_ = before.cursor;
        pen_ = before.pen;
        rows = before.rows + m;
    }
    last_move_ = LinesMove{out.size(), 0, top, bottom, n, rows, new_line, cursor_, pen_};
    return rows;
}

void Screen::send_lines_move(Output& out, int top, int bottom, bool up, int rows, unsigned char fill_attr) {
    set_background(out, fill_attr);
    auto at_row = [&](int y) {
        move_cursor(out, cursor_, y, 0);
        cursor_.col = -1;  // IL and DL leave the column to the terminal
    };
    const bool inner = bottom < visible_.rows - 1;
    if (up) {
        at_row(top);
        delete_lines(out, rows);
        if (inner) {
            at_row(bottom - rows + 1);
            insert_lines(out, rows);
        }
    } else {
        if (inner) {
            at_row(bottom - rows + 1);
            delete_lines(out, rows);
        }
        at_row(top);
        insert_lines(out, rows);
    }
    last_move_.end = out.size();
}

void Screen::move_shown_lines(int top, int bottom, int n, Look new_line) {
    const int m = n < 0 ? -n : n;
    const std::size_t w = static_cast<std::size_t>(visible_.columns);
    if (n > 0) {
        std::copy(shown(top + m), shown(bottom) + w, shown(top));
        std::fill(shown(bottom - m + 1), shown(bottom) + w, new_line);
    } else {
        std::copy_backward(shown(top), shown(bottom - m) + w, shown(bottom) + w);
        std::fill(shown(top), shown(top + m - 1) + w, new_line);
    }
    // Rows the kept cells did not change have moved on the terminal all the
    // same.
    for (int y = top; y <= bottom; ++y) cells_.mark_changed(y, 0, visible_.columns - 1);
}

void Screen::scroll_rows(Output& out, int top, int bottom, int n, Cell fill) {
    top = std::max(top, 0);
    bottom = std::min(bottom, visible_.rows - 1);
    const int m = n < 0 ? -n : n;
    if (n == 0 || bottom - top + 1 <= m) return;
    bottom = cheapest_band_bottom(top, bottom, n, fill.attr);
    if (bottom < 0) return;
    // New lines show blank in the pen's background, which is made the fill's.
    const Look new_line = look_of(Cell{' ', fill.attr});
    const int rows = rows_with_last_move(out, top, bottom, n, new_line);
    send_lines_move(out, top, bottom, n > 0, rows, fill.attr);
    move_shown_lines(top, bottom, n, new_line);
}

}  // namespace versos::console
