// The output side of the console on a terminal: the kept cells, what the
// terminal is known to show of them, the console's cursor, attribute (the
// pen) and cursor shape, a message box's overlay, and the flush that sends
// what changed in one write.
//
// Invariants:
// - Outside a batch, an operation has been sent when it returns; inside,
//   everything is sent when the outermost batch ends.
// - What `screen_` knows the terminal shows was sent and can't have been
//   covered since: other output (stdio, standard error, an echo), a resize
//   or a stop makes the cells it may have touched unknown, and a cell the
//   console never drew is never known.
// - `follow_terminal_`: other output moved the terminal's cursor since the
//   console last placed its own, which stays where that output left it until
//   the console moves it.
// - Without output (no terminal, or it has gone) no cell changes and nothing
//   waits to be sent.
#pragma once

#include <memory>
#include <optional>

#include "lib/console/cell_grid.h"
#include "lib/console/device.h"
#include "lib/console/terminal/echo_trace.h"
#include "lib/console/terminal/escapes.h"
#include "lib/console/terminal/screen.h"
#include "lib/console/terminal/terminal_setup.h"

namespace versos::console {

// The terminal's size on fd, as far as the console draws it; `otherwise`
// when it tells none.
Size terminal_size(int fd, Size otherwise);

// The input side, as the output side sees it: told of every write that
// reaches the terminal, and asked whether keys typed now are echoed.
class OutputWatcher {
public:
    // The console's own output (`ours`), or other output it noticed.
    virtual void terminal_written(bool ours) = 0;
    // Keys typed now may be echoed where the terminal's cursor is.
    virtual bool echo_may_move_cursor() const = 0;

protected:
    ~OutputWatcher() = default;
};

class TerminalOutput {
public:
    explicit TerminalOutput(const TerminalSetup& setup);
    TerminalOutput(const TerminalOutput&) = delete;
    TerminalOutput& operator=(const TerminalOutput&) = delete;
    void watch(OutputWatcher* watcher) { watcher_ = watcher; }

    // The operations of Device, with the rules device.h gives them.
    Size size() const { return cells_.size(); }
    bool shows() const { return setup_.output_fd >= 0; }
    void write(const char* text, int length);
    void echo(const char* text, int length);
    Point cursor() const { return cursor_; }
    void set_cursor(Point at);
    CursorShape cursor_shape() const { return shape_; }
    void set_cursor_shape(CursorShape shape);
    unsigned char attribute() const { return attr_; }
    void set_attribute(unsigned char attr) { attr_ = attr; }
    void fill(Point from, int count, Cell with);
    void scroll(Rect source, const Rect* clip, Point to, Cell fill);
    bool read_cells(Rect area, Cell* out) const;
    bool write_cells(Rect area, const Cell* cells);
    Size visible_size() const { return setup_.size; }
    void recolour(unsigned char attr);
    bool begin_overlay();
    void end_overlay();
    void begin_batch() { ++depth_; }
    void end_batch();
    void terminal_written_outside();

    // Sends what changed; what stdio printed shows first.
    void flush();
    // Notices what stdio sent since the console last looked.
    void notice_stdio();
    // Forgets what the terminal shows, as after the program was stopped:
    // the next flush sends every cell the console drew.
    void forget_screen();
    // Where the terminal's cursor is, where the console put it and no other
    // output moved it since.
    std::optional<Point> console_cursor() const;
    // Asks the terminal where its cursor is (ESC [ 6 n); the answer comes
    // among the keys. False when there is no terminal to ask.
    bool ask_cursor_report();
    // An echo of typed keys wrote `trace`: what it covered is drawn again,
    // where the console drew it; lines it scrolled up are moved back down,
    // so that nothing the console drew shows twice; the terminal's cursor
    // goes back where the echo began. Untraced, everything is drawn again.
    void repair_echo(EchoTrace trace);
    const CellGrid& kept_cells() const { return cells_; }

private:
    void changed() {
        if (depth_ == 0) flush();
    }
    void moved() {
        cursor_placed_ = true;
        cursor_moved_ = true;
    }
    void catch_up();
    void send();

    TerminalSetup setup_;
    OutputWatcher* watcher_ = nullptr;
    CellGrid cells_;
    Screen screen_;
    Output out_;
    Point cursor_;
    bool cursor_placed_ = false;  // the terminal's cursor stays where it is until the console's is placed
    bool cursor_moved_ = false;   // since the last flush
    bool follow_terminal_ = false;
    Point flushed_cursor_;
    int default_colours_ = -1;  // the attribute color_ gave the terminal's default colours
    unsigned char attr_ = 0x07;
    CursorShape shape_;
    bool shape_set_ = false;  // the terminal keeps its own until a shape is asked for
    bool shown_visible_ = true;
    CursorForm shown_form_ = CursorForm::kTerminalDefault;
    int depth_ = 0;

    // What the screen under a message box was, while it shows.
    struct Overlay {
        CellGrid::Saved cells;
        Screen::Known known;
        Point cursor;
        bool cursor_placed, follow_terminal;
        unsigned char attr;
        CursorShape shape;
        bool shape_set;
    };
    std::unique_ptr<Overlay> overlay_;
};

}  // namespace versos::console
