#include "lib/console/terminal/terminal_output.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "lib/charsets/cp850.h"
#include "lib/console/terminal/stdio_watch.h"
#include "lib/console/terminal/terminal_mode.h"
#include "lib/posix_io/posix_io.h"

namespace versos::console {
namespace {

// The console's screen is 80 by 25 at least, so that the window it starts
// with always exists; a terminal larger than this is drawn only in part.
constexpr Size kLeast{80, 25};
constexpr Size kLargest{2000, 1000};

Size buffer_size(Size terminal) {
    return Size{std::max(terminal.columns, kLeast.columns), std::max(terminal.rows, kLeast.rows)};
}

}  // namespace

Size terminal_size(int fd, Size otherwise) {
    winsize ws = {};
    if (ioctl(fd, TIOCGWINSZ, &ws) != 0 || ws.ws_col == 0 || ws.ws_row == 0) return otherwise;
    return Size{std::min<int>(ws.ws_col, kLargest.columns), std::min<int>(ws.ws_row, kLargest.rows)};
}

TerminalOutput::TerminalOutput(const TerminalSetup& setup)
    : setup_(setup), cells_(buffer_size(setup.size)), screen_(cells_, setup.kind) {
    screen_.set_visible(setup_.size);
    out_.reserve(static_cast<std::size_t>(setup_.size.columns) * setup_.size.rows * 4 + 4096);
}

void TerminalOutput::forget_screen() {
    screen_.forget();
    shown_visible_ = true;
    shown_form_ = CursorForm::kTerminalDefault;
}

// What happened to the terminal behind the program's back.
void TerminalOutput::catch_up() {
    if (!setup_.whole_process) return;
    if (terminal_mode::take_resized()) {
        Size now = terminal_size(setup_.output_fd, setup_.size);
        if (now.columns != setup_.size.columns || now.rows != setup_.size.rows) {
            setup_.size = now;
            cells_.resize(buffer_size(now));
            screen_.set_visible(now);
            forget_screen();
        }
    }
    if (terminal_mode::take_continued()) {
        // Stopping left the alternate screen: a box that waits goes back there.
        if (overlay_) {
            enter_alternate_screen(out_);
            terminal_mode::note_sent(setup_.output_fd, setup_.kind, terminal_mode::kAlternateScreen);
        }
        if (default_colours_ >= 0) default_colours(out_, static_cast<unsigned char>(default_colours_));
        forget_screen();
    }
    if (terminal_mode::take_reset()) {
        screen_.forget_pen_and_cursor();
        shown_visible_ = true;
        shown_form_ = CursorForm::kTerminalDefault;
    }
}

void TerminalOutput::terminal_written_outside() {
    screen_.distrust();
    follow_terminal_ = true;
    if (watcher_) watcher_->terminal_written(false);
}

// Whatever stdio sent since the console last looked.
void TerminalOutput::notice_stdio() {
    if (stdio_watch::flush_and_check() && isatty(STDOUT_FILENO)) terminal_written_outside();
}

void TerminalOutput::flush() {
    // What the program printed shows first; where it went is not known.
    notice_stdio();
    if (!shows()) {
        cells_.clear_changes();
        out_.clear();
        return;
    }
    catch_up();
    if (cursor_moved_) follow_terminal_ = false;
    cursor_moved_ = false;
    // Keys typed since the keyboard was given back may have been echoed:
    // whatever is drawn places the cursor afresh.
    const bool drawing = cells_.first_changed_row() <= cells_.last_changed_row() || !(cursor_ == flushed_cursor_);
    if (watcher_ && watcher_->echo_may_move_cursor() && drawing) screen_.forget_pen_and_cursor();
    flushed_cursor_ = cursor_;
    // Hidden before drawing, shown after, so that it is never seen moving.
    if (!shape_.visible && shown_visible_) {
        show_cursor(out_, false);
        shown_visible_ = false;
    }
    if (follow_terminal_) {
        // Drawn around the cursor that other output left, which stays.
        if (cells_.first_changed_row() <= cells_.last_changed_row()) {
            save_cursor(out_);
            screen_.paint(out_);
            restore_cursor(out_);
            screen_.forget_pen_and_cursor();
        }
    } else {
        screen_.paint(out_);
        if (cursor_placed_) screen_.place_cursor(out_, cursor_);
    }
    if (shape_.visible && !shown_visible_) {
        show_cursor(out_, true);
        shown_visible_ = true;
    }
    CursorForm form = !shape_set_            ? CursorForm::kTerminalDefault
                      : shape_.percent >= 50 ? CursorForm::kBlock
                                             : CursorForm::kUnderline;
    if (form != shown_form_) {
        shape_cursor(out_, form, setup_.kind);
        shown_form_ = form;
    }
    send();
}

// One write(2) of everything pending, whole.
void TerminalOutput::send() {
    if (out_.empty()) return;
    if (setup_.whole_process) {
        int sent = terminal_mode::kAttribute;
        if (!shown_visible_) sent |= terminal_mode::kCursorHidden;
        if (shown_form_ != CursorForm::kTerminalDefault) sent |= terminal_mode::kCursorShape;
        terminal_mode::note_sent(setup_.output_fd, setup_.kind, static_cast<terminal_mode::Sent>(sent));
    }
    if (!posix_io::write_all(setup_.output_fd, out_.data(), out_.size()))
        setup_.output_fd = -1;  // the terminal has gone: drop output from now on
    out_.clear();
    if (watcher_) watcher_->terminal_written(true);
}

void TerminalOutput::end_batch() {
    if (depth_ > 0 && --depth_ == 0) flush();
}

// Without a terminal no cell changes (device.h): the terminal device keeps
// no screen that nobody sees, as the memory device keeps none then.
void TerminalOutput::write(const char* text, int length) {
    if (!shows()) return;
    cursor_ = cells_.write(cursor_, text, length, attr_);
    moved();
    changed();
}

void TerminalOutput::echo(const char* text, int length) {
    if (!shows()) return;
    flush();  // stdio's text first, and whether it moved the terminal's cursor
    if (!follow_terminal_) return write(text, length);
    // Where stdio's output left the cursor: glyphs the console can't place,
    // in its attribute, sent as output of its own.
    int pen = -1;
    set_pen(out_, pen, attr_, setup_.kind);
    for (int i = 0; i < length; ++i) {
        const cp850::Utf8& g = cp850::utf8(static_cast<unsigned char>(text[i]));
        out_.put(g.bytes, g.length);
    }
    send();
    terminal_written_outside();
}

void TerminalOutput::set_cursor(Point at) {
    if (!cells_.contains(at)) return;
    cursor_ = at;
    moved();
    changed();
}

void TerminalOutput::set_cursor_shape(CursorShape shape) {
    shape_ = shape;
    shape_set_ = true;
    changed();
}

void TerminalOutput::fill(Point from, int count, Cell with) {
    if (!shows()) return;
    cells_.fill(from, count, with);
    changed();
}

void TerminalOutput::scroll(Rect source, const Rect* clip, Point to, Cell fill) {
    if (!shows()) return;
    const CellGrid::ScrollBounds bounds = cells_.scroll(source, clip, to, fill);
    const Rect from = bounds.source, limit = bounds.clip;
    // A vertical move the terminal may make itself, by deleting and
    // inserting whole lines, where what they carry along shows right.
    long long dy = static_cast<long long>(to.y) - source.top;
    if (to.x == source.left && dy != 0 && dy > -cells_.rows() && dy < cells_.rows() && !from.empty() &&
        !limit.empty()) {
        // The rows it changes: the source and where it lands, within the clip.
        int shift = static_cast<int>(dy);
        int top = std::max(from.top + std::min(shift, 0), limit.top);
        int bottom = std::min(from.bottom + std::max(shift, 0), limit.bottom);
        screen_.scroll_rows(out_, top, bottom, -shift, fill);
    }
    changed();
}

bool TerminalOutput::write_cells(Rect area, const Cell* cells) {
    if (!shows()) return false;
    bool written = cells_.write(area, cells);
    changed();
    return written;
}

bool TerminalOutput::read_cells(Rect area, Cell* out) const {
    if (!shows() || !cells_.read(area, out)) return false;
    // The terminal can't be read back: a cell the console never drew reads
    // as a blank in the current attribute.
    const Rect on_screen = area.overlap(Rect{0, 0, cells_.columns() - 1, cells_.rows() - 1});
    const long long width = static_cast<long long>(area.right) - area.left + 1;
    for (int y = on_screen.top; y <= on_screen.bottom; ++y)
        for (int x = on_screen.left; x <= on_screen.right; ++x)
            if (!cells_.drawn(x, y))
                out[(static_cast<long long>(y) - area.top) * width + (x - area.left)] = Cell{' ', attr_};
    return true;
}

void TerminalOutput::recolour(unsigned char attr) {
    if (!shows()) return;
    for (int y = 0; y < cells_.rows(); ++y) {
        const Cell* row = cells_.row(y);
        for (int x = 0; x < cells_.columns(); ++x)
            if (cells_.drawn(x, y)) cells_.fill(Point{x, y}, 1, Cell{row[x].ch, attr});
    }
    // The rest is text the console did not draw: the terminal's default
    // colours recolour what shows in them, until exit puts them back.
    if (setup_.kind != TerminalKind::kLinuxConsole) {
        default_colours(out_, attr);
        default_colours_ = attr;
        if (setup_.whole_process)
            terminal_mode::note_sent(setup_.output_fd, setup_.kind, terminal_mode::kDefaultColours);
    }
    changed();
}

bool TerminalOutput::begin_overlay() {
    // The Linux console has no alternate screen.
    if (!shows() || setup_.kind == TerminalKind::kLinuxConsole || overlay_) return false;
    flush();
    overlay_ = std::make_unique<Overlay>(Overlay{cells_.save(), screen_.save_known(), cursor_, cursor_placed_,
                                                 follow_terminal_, attr_, shape_, shape_set_});
    enter_alternate_screen(out_);
    if (setup_.whole_process) terminal_mode::note_sent(setup_.output_fd, setup_.kind, terminal_mode::kAlternateScreen);
    screen_.on_fresh_screen(overlay_->known);
    follow_terminal_ = false;
    return true;
}

void TerminalOutput::end_overlay() {
    if (!overlay_) return;
    const Overlay& was = *overlay_;
    cells_.clear_changes();
    leave_alternate_screen(out_);
    if (setup_.whole_process) terminal_mode::note_undone(terminal_mode::kAlternateScreen);
    if (was.cells.cells.size() == static_cast<std::size_t>(cells_.columns()) * cells_.rows() &&
        was.known.shown.size() == static_cast<std::size_t>(setup_.size.columns) * setup_.size.rows) {
        cells_.restore(was.cells);
        screen_.restore_known(was.known);
    } else {
        screen_.forget();  // resized meanwhile: the console's cells again
    }
    cursor_ = was.cursor;
    cursor_placed_ = was.cursor_placed;
    follow_terminal_ = was.follow_terminal;
    attr_ = was.attr;
    shape_ = was.shape;
    shape_set_ = was.shape_set;
    overlay_.reset();
    changed();
}

std::optional<Point> TerminalOutput::console_cursor() const {
    const TermCursor at = screen_.cursor();
    if (follow_terminal_ || at.row < 0 || at.col < 0) return std::nullopt;
    return Point{at.col, at.row};
}

bool TerminalOutput::ask_cursor_report() {
    static constexpr char kAsk[] = "\x1b[6n";
    return shows() && posix_io::write_all(setup_.output_fd, kAsk, sizeof kAsk - 1);
}

void TerminalOutput::repair_echo(EchoTrace trace) {
    if (!trace.traced) return forget_screen();  // anything may have been covered
    const int lost = std::min(trace.scrolled, setup_.size.rows);
    if (lost > 0) {
        out_.put(kResetPen);
        out_.put("\x1b[H");
        insert_lines(out_, lost);
        screen_.rows_lost_at_top(lost);
        for (Point& p : trace.cells) p.y += lost;
        trace.start.y += lost;
    }
    for (Point p : trace.cells) screen_.overwritten(p.y, p.x);
    if (follow_terminal_ || !cursor_placed_) {
        TermCursor unknown;
        move_cursor(out_, unknown, trace.start.y, trace.start.x);
    }
    screen_.forget_pen_and_cursor();
}

}  // namespace versos::console
