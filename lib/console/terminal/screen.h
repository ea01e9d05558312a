// What the terminal is known to show, and the least output that makes it
// show the kept cells that changed: those cells only, cursor moves only
// where the cursor is not already, attributes only where they change,
// erasing characters, to the end of a line or of the screen where that is
// shorter, and line insertion and deletion for scrolls. The terminal is
// shared: a cell the console never drew, or that other output may have
// covered, is not known, and is never erased, moved or rewritten but by an
// operation that changes it; erasing and moving lines are used only where
// every cell they touch is changed or known to show right.
#pragma once

#include <cstdint>
#include <vector>

#include "lib/console/cell_grid.h"
#include "lib/console/terminal/escapes.h"

namespace versos::console {

class Screen {
public:
    Screen(CellGrid& cells, TerminalKind kind) : cells_(cells), kind_(kind) {}

    // The terminal's size: only these cells are ever sent. Everything shown
    // becomes unknown.
    void set_visible(Size size);
    // Nothing of what the terminal shows is known any more (it was resized,
    // or other programs drew while this one was stopped); the next paint
    // sends every visible cell the console has drawn.
    void forget();
    // Other output may have covered any cell: none is known to show right,
    // and the next paint sends the changed ones, whatever they were.
    void distrust();
    // Cursor and attribute of the terminal unknown (something reset them).
    void forget_pen_and_cursor();
    // Where the terminal's cursor is, where known.
    TermCursor cursor() const { return cursor_; }
    // Other output (an echo) wrote the cell: it is sent again if the
    // console drew it.
    void overwritten(int y, int x);
    // The top n rows were blanked by lines inserted above the rest, which
    // moved down: the console's cells there are sent again.
    void rows_lost_at_top(int n);

    // Rows top..bottom (all of them, or columns of them) moved up (n > 0)
    // or down (n < 0) by |n| rows in the kept cells, the rows left behind
    // filled with `fill`: makes the terminal move its whole lines the same
    // way where that costs less than sending the cells again; the next
    // paint sends whatever the move left wrong.
    void scroll_rows(Output& out, int top, int bottom, int n, Cell fill);
    // Sends the changed cells and clears the record of changes.
    void paint(Output& out);
    // Leaves the terminal's cursor on `at`, if the terminal shows that cell.
    void place_cursor(Output& out, Point at);

    // What is known of the terminal, to be put back after a while on another
    // screen (the alternate one), which starts blank and not known.
    struct Known {
        std::vector<std::uint16_t> shown;
        TermCursor cursor;
    };
    Known save_known() const { return Known{shown_, cursor_}; }
    void restore_known(const Known& known);
    // On a fresh screen: the cells the console knew show again at the next
    // paint, its own drawn cells among them, also where other output has
    // left the old screen's look unknown.
    void on_fresh_screen(const Known& before);

private:
    using Look = std::uint16_t;  // how a cell shows; 0: not known
    static Look look_of(Cell c);

    Look* shown(int y) { return &shown_[static_cast<std::size_t>(y) * visible_.columns]; }
    long lines_saving(int top, int bottom, int n, Look new_line);
    // The steps of scroll_rows: the bottom of the lines worth moving on the
    // terminal (-1: none), the rows to move once joined with the last move,
    // the DL and IL that move them, the same move on what is shown.
    int cheapest_band_bottom(int top, int bottom, int n, unsigned char fill_attr);
    int rows_with_last_move(Output& out, int top, int bottom, int n, Look new_line);
    void send_lines_move(Output& out, int top, int bottom, bool up, int rows, unsigned char fill_attr);
    void move_shown_lines(int top, int bottom, int n, Look new_line);
    // Every visible cell of row y from column x on is to be sent, or known
    // to show right already: what erasing it to the line's end may touch.
    bool settled(int y, int x) const;
    // Every visible cell of rows top..bottom is to be sent, or known: what
    // moving whole lines may touch.
    bool rows_known(int top, int bottom) const;
    void erase_below(Output& out);
    void paint_row(Output& out, int y, int low, int high);
    void go_to(Output& out, int y, int x);
    void put_cell(Output& out, int y, int x);
    void set_background(Output& out, unsigned char attr);
    int background_length(unsigned char attr) const;
    int blank_tail(int y) const;

    // The line insertion or deletion last sent, and the output and the
    // terminal's state from just before it.
    struct LinesMove {
        std::size_t start = 0, end = 0;  // in the output; end 0: none to join
        int top = 0, bottom = 0, n = 0, rows = 0;
        Look new_line = 0;
        TermCursor cursor;
        int pen = -1;
    };

    CellGrid& cells_;
    TerminalKind kind_;
    Size visible_{0, 0};
    std::vector<Look> shown_;
    TermCursor cursor_;
    int pen_ = -1;
    LinesMove last_move_;
};

}  // namespace versos::console
