#include "lib/console/terminal/terminal_device.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

#include "lib/charsets/cp850.h"
#include "lib/console/terminal/stdio_input.h"
#include "lib/console/terminal/stdio_watch.h"
#include "lib/console/terminal/terminal_mode.h"
#include "lib/posix_io/posix_io.h"

namespace versos::console {
namespace {

// How long the rest of a key's sequence may take to follow its ESC.
constexpr int kSequenceWaitMs = 50;
// How long a terminal may take to report its cursor; one that does not
// answer costs this once each time keys were typed ahead.
constexpr int kCursorReportWaitMs = 250;

// The console's screen is 80 by 25 at least, so that the window it starts
// with always exists; a terminal larger than this is drawn only in part.
constexpr Size kLeast{80, 25};
constexpr Size kLargest{2000, 1000};

Size buffer_size(Size terminal) {
    return Size{std::max(terminal.columns, kLeast.columns), std::max(terminal.rows, kLeast.rows)};
}

// The terminal's size on fd, or `otherwise` when it tells none.
Size terminal_size(int fd, Size otherwise) {
    winsize ws = {};
    if (ioctl(fd, TIOCGWINSZ, &ws) != 0 || ws.ws_col == 0 || ws.ws_row == 0) return otherwise;
    return Size{std::min<int>(ws.ws_col, kLargest.columns), std::min<int>(ws.ws_row, kLargest.rows)};
}

// Standard output as the process started, taken before main: the terminal
// still, when a capture (openprints_) has pointed descriptor 1 elsewhere by
// the console's first use.
const int started_output = isatty(STDOUT_FILENO) ? fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3) : -1;

}  // namespace

TerminalSetup standard_terminal() {
    TerminalSetup setup;
    setup.kind = terminal_kind();
    const char* term = std::getenv("TERM");
    // A descriptor of its own for the terminal, so that the console draws
    // there while standard output is captured into a file (openprints_)
    // rather than writing its sequences into the capture.
    if (!(term && std::strcmp(term, "dumb") == 0)) {
        if (isatty(STDOUT_FILENO))
            setup.output_fd = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
        else if (started_output >= 0 && isatty(started_output))
            setup.output_fd = started_output;
        if (setup.output_fd >= 0) setup.size = terminal_size(setup.output_fd, setup.size);
    }
    if (fcntl(STDIN_FILENO, F_GETFD) >= 0) {
        setup.input_fd = STDIN_FILENO;
        setup.input_is_terminal = isatty(STDIN_FILENO);
        if (!setup.input_is_terminal) setup.input_stream = stdin;
    }
    return setup;
}

TerminalDevice::TerminalDevice(const TerminalSetup& setup)
    : setup_(setup), cells_(buffer_size(setup.size)), screen_(cells_, setup.kind) {
    screen_.set_visible(setup_.size);
    out_.reserve(static_cast<std::size_t>(setup_.size.columns) * setup_.size.rows * 4 + 4096);
}

void TerminalDevice::forget_screen() {
    screen_.forget();
    shown_visible_ = true;
    shown_form_ = CursorForm::kTerminalDefault;
}

// What happened to the terminal behind the program's back.
void TerminalDevice::catch_up() {
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

void TerminalDevice::terminal_written_outside() {
    screen_.distrust();
    follow_terminal_ = true;
    echo_from_known_ = false;
}

// Whatever stdio sent since the console last looked.
void TerminalDevice::notice_stdio() {
    if (stdio_watch::flush_and_check() && isatty(STDOUT_FILENO)) terminal_written_outside();
}

void TerminalDevice::flush() {
    // What the program printed shows first; where it went is not known.
    notice_stdio();
    if (!shows_output()) {
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
    if (echo_may_move_cursor_ && !holding_keyboard_ && drawing) screen_.forget_pen_and_cursor();
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
void TerminalDevice::send() {
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
    if (echoing_) sent_while_echoing();
}

void TerminalDevice::end_batch() {
    if (depth_ > 0 && --depth_ == 0) flush();
}

// Without a terminal no cell changes (device.h): the terminal device keeps
// no screen that nobody sees, as the memory device keeps none then.
void TerminalDevice::write(const char* text, int length) {
    if (!shows_output()) return;
    cursor_ = cells_.write(cursor_, text, length, attr_);
    moved();
    changed();
}

void TerminalDevice::echo(const char* text, int length) {
    if (!shows_output()) return;
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

void TerminalDevice::set_cursor(Point at) {
    if (!cells_.contains(at)) return;
    cursor_ = at;
    moved();
    changed();
}

void TerminalDevice::set_cursor_shape(CursorShape shape) {
    shape_ = shape;
    shape_set_ = true;
    changed();
}

void TerminalDevice::fill(Point from, int count, Cell with) {
    if (!shows_output()) return;
    cells_.fill(from, count, with);
    changed();
}

void TerminalDevice::scroll(Rect source, const Rect* clip, Point to, Cell fill) {
    if (!shows_output()) return;
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

bool TerminalDevice::write_cells(Rect area, const Cell* cells) {
    if (!shows_output()) return false;
    bool written = cells_.write(area, cells);
    changed();
    return written;
}

bool TerminalDevice::read_cells(Rect area, Cell* out) const {
    if (!shows_output() || !cells_.read(area, out)) return false;
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

void TerminalDevice::recolour(unsigned char attr) {
    if (!shows_output()) return;
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
        if (setup_.whole_process) terminal_mode::note_sent(setup_.output_fd, setup_.kind, terminal_mode::kDefaultColours);
    }
    changed();
}

bool TerminalDevice::begin_overlay() {
    // The Linux console has no alternate screen.
    if (!shows_output() || setup_.kind == TerminalKind::kLinuxConsole || overlay_) return false;
    flush();
    overlay_ = std::make_unique<Overlay>(Overlay{cells_.save(), screen_.save_known(), cursor_, cursor_placed_,
                                                 follow_terminal_, attr_, shape_, shape_set_});
    enter_alternate_screen(out_);
    if (setup_.whole_process)
        terminal_mode::note_sent(setup_.output_fd, setup_.kind, terminal_mode::kAlternateScreen);
    screen_.on_fresh_screen(overlay_->known);
    follow_terminal_ = false;
    return true;
}

void TerminalDevice::end_overlay() {
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

// Keyboard.

void TerminalDevice::take_keyboard() {
    if (!setup_.input_is_terminal || !setup_.whole_process || holding_keyboard_) return;
    notice_stdio();  // which the echo may have followed
    if (!terminal_mode::enter_keys(setup_.input_fd, mode_ & kProcessedInput)) {
        setup_.input_is_terminal = false;  // no terminal mode to set: its bytes as they come
        return;
    }
    holding_keyboard_ = true;
    const bool echoed = echoing_ && terminal_mode::found_mode_echoed();
    echoing_ = false;
    int waiting = 0;
    if (ioctl(setup_.input_fd, FIONREAD, &waiting) != 0 || waiting < 0) waiting = 0;
    typed_ahead_ = terminal_mode::found_mode_mapped_enter() ? waiting : 0;
    if (waiting > 0 && echoed) take_echoed_keys(waiting);
}

void TerminalDevice::give_back_keyboard() {
    if (!holding_keyboard_ || !(mode_ & kLineInput)) return;
    terminal_mode::leave_keys();
    holding_keyboard_ = false;
    if (terminal_mode::found_mode_echoed()) echo_may_move_cursor_ = true;
    echoing_ = true;
    echo_unclear_ = false;
    const TermCursor at = screen_.cursor();
    echo_from_known_ = !follow_terminal_ && at.row >= 0 && at.col >= 0;
    echo_from_ = Point{at.col, at.row};
}

void TerminalDevice::set_input_mode(unsigned mode) {
    mode_ = mode;
    if (!holding_keyboard_) return;
    terminal_mode::set_signal_keys(mode & kProcessedInput);
    give_back_keyboard();
}

namespace {

long long now_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

int remaining_ms(long long deadline) { return static_cast<int>(std::max(deadline - now_ms(), 0LL)); }

}  // namespace

void TerminalDevice::queue_decoded(const unsigned char* keys, int count) {
    const bool character = decoder_.gave_character();
    for (int i = 0; i < count; ++i) {
        const bool pair = !character && (keys[i] == 0 || keys[i] == 224);
        keys_.push_back(keys[i], pair);
        if (pair && i + 1 < count) keys_.push_back(keys[++i], false);
    }
}

void TerminalDevice::input_ended() {
    unsigned char decoded[KeyDecoder::kMaxOut];
    queue_decoded(decoded, decoder_.expire(decoded));
    input_ended_ = true;
}

// A key that waits when the console has written may have been echoed
// before that output, anywhere: its echo can't be traced. Otherwise the
// echo, if one comes, begins where the console left the cursor.
void TerminalDevice::sent_while_echoing() {
    int waiting = 0;
    if (setup_.input_fd >= 0 && (ioctl(setup_.input_fd, FIONREAD, &waiting) != 0 || waiting > 0)) {
        echo_unclear_ = true;
        return;
    }
    const TermCursor at = screen_.cursor();
    echo_from_known_ = !follow_terminal_ && at.row >= 0 && at.col >= 0;
    echo_from_ = Point{at.col, at.row};
}

// Up to `count` bytes that wait already, without waiting for more.
int TerminalDevice::read_waiting(unsigned char* bytes, int count) {
    int got = 0;
    while (got < count) {
        pollfd p{setup_.input_fd, POLLIN, 0};
        if (poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN)) break;
        const ssize_t n = read(setup_.input_fd, bytes + got, static_cast<std::size_t>(count - got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<int>(n);
    }
    return got;
}

void TerminalDevice::feed_keys(const unsigned char* bytes, int count) {
    for (int i = 0; i < count; ++i) {
        unsigned char byte = bytes[i];
        if (typed_ahead_ > 0) {
            --typed_ahead_;
            if (byte == '\n') byte = '\r';
        }
        unsigned char decoded[KeyDecoder::kMaxOut];
        queue_decoded(decoded, decoder_.feed(byte, decoded));
    }
    if (decoder_.pending()) sequence_deadline_ = now_ms() + kSequenceWaitMs;
}

// The terminal's cursor report (ESC [ row ; column R) to the question sent
// now; keys typed meanwhile, before or after it, are queued.
bool TerminalDevice::ask_cursor(Point& at) {
    static constexpr char kAsk[] = "\x1b[6n";
    if (!shows_output() || !posix_io::write_all(setup_.output_fd, kAsk, sizeof kAsk - 1)) return false;
    const long long deadline = now_ms() + kCursorReportWaitMs;
    std::string got;
    for (;;) {
        // ESC [ digits ; digits R, anywhere in what came.
        for (std::size_t esc = got.find('\x1b'); esc != std::string::npos; esc = got.find('\x1b', esc + 1)) {
            int row = 0, column = 0, end = 0;
            if (std::sscanf(got.c_str() + esc, "\x1b[%d;%dR%n", &row, &column, &end) == 2 && end > 0) {
                const std::string keys = got.substr(0, esc) + got.substr(esc + static_cast<std::size_t>(end));
                feed_keys(reinterpret_cast<const unsigned char*>(keys.data()), static_cast<int>(keys.size()));
                at = Point{column - 1, row - 1};
                return true;
            }
        }
        pollfd p{setup_.input_fd, POLLIN, 0};
        const int ready = poll(&p, 1, remaining_ms(deadline));
        if (ready < 0 && errno == EINTR) continue;
        unsigned char bytes[256];
        const ssize_t n = ready > 0 ? read(setup_.input_fd, bytes, sizeof bytes) : 0;
        if (n <= 0) break;  // no answer: a terminal that does not report
        got.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(n));
    }
    feed_keys(reinterpret_cast<const unsigned char*>(got.data()), static_cast<int>(got.size()));
    return false;
}

void TerminalDevice::take_echoed_keys(int waiting) {
    unsigned char bytes[KeyQueue::kCapacity / KeyDecoder::kMaxOut];
    const int most = std::min<int>(sizeof bytes, keys_.room() / KeyDecoder::kMaxOut);
    const int got = read_waiting(bytes, std::min(waiting, most));
    feed_keys(bytes, got);
    EchoTrace trace;
    if (got == waiting && !echo_unclear_) {
        const bool carets = terminal_mode::found_mode_echoed_controls();
        Point end;
        if (echo_from_known_)
            trace = trace_echo(bytes, got, echo_from_, setup_.size, carets);
        else if (ask_cursor(end))
            trace = trace_echo_back(bytes, got, end, setup_.size, carets);
    }
    repair_echo(trace);
}

// What the echo covered is drawn again, where the console drew it; lines it
// scrolled up are moved back down, so that nothing the console drew shows
// twice; the cursor goes back where the echo began.
void TerminalDevice::repair_echo(EchoTrace trace) {
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

// Deadlines, not timeouts, so that signals (a terminal being resized many
// times a second) never put off a lone Escape or the end of a wait.
void TerminalDevice::take_input(int timeout_ms) {
    if (input_ended_ || setup_.input_fd < 0) {
        input_ended_ = true;
        return;
    }
    if (setup_.input_stream) return take_stream_input(timeout_ms);
    const long long until = timeout_ms > 0 ? now_ms() + timeout_ms : 0;
    for (;;) {
        if (keys_.room() < KeyDecoder::kMaxOut) return;
        const bool partial = decoder_.pending();
        const int wait = partial ? remaining_ms(sequence_deadline_) : timeout_ms > 0 ? remaining_ms(until) : timeout_ms;
        pollfd p{setup_.input_fd, POLLIN, 0};
        const int ready = poll(&p, 1, wait);
        if (ready < 0) {
            if (errno != EINTR && errno != EAGAIN) return input_ended();
            // Stopped and continued, or resized: the screen again at once.
            if (timeout_ms != 0) flush();
            continue;
        }
        if (ready == 0) {
            if (!partial) return;
            unsigned char decoded[KeyDecoder::kMaxOut];
            queue_decoded(decoded, decoder_.expire(decoded));
            if (!keys_.empty() || timeout_ms == 0) return;
            continue;
        }
        if (p.revents & POLLNVAL) return input_ended();
        // Without a terminal, one byte at a time: what follows the keys stays
        // in the input for other readers.
        unsigned char bytes[256];
        const std::size_t want =
            setup_.input_is_terminal ? std::min<std::size_t>(sizeof bytes, keys_.room() / KeyDecoder::kMaxOut) : 1;
        const ssize_t n = read(setup_.input_fd, bytes, want);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return input_ended();  // end of input, or the terminal hung up
        feed_keys(bytes, static_cast<int>(n));
        if (!keys_.empty() || (timeout_ms == 0 && !decoder_.pending())) return;
    }
}

// The bytes of a stream stdio reads too, one at a time through it: what it
// holds in its buffer comes first, the descriptor is waited on only when
// that is empty.
void TerminalDevice::take_stream_input(int timeout_ms) {
    std::FILE* in = setup_.input_stream;
    const long long until = timeout_ms > 0 ? now_ms() + timeout_ms : 0;
    for (;;) {
        if (keys_.room() < KeyDecoder::kMaxOut) return;
        const bool partial = decoder_.pending();
        if (!stdio_input::buffered(in)) {
            const int wait =
                partial ? remaining_ms(sequence_deadline_) : timeout_ms > 0 ? remaining_ms(until) : timeout_ms;
            pollfd p{setup_.input_fd, POLLIN, 0};
            const int ready = poll(&p, 1, wait);
            if (ready < 0) {
                if (errno != EINTR && errno != EAGAIN) return input_ended();
                continue;
            }
            if (ready == 0) {
                if (!partial) return;
                unsigned char decoded[KeyDecoder::kMaxOut];
                queue_decoded(decoded, decoder_.expire(decoded));
                if (!keys_.empty() || timeout_ms == 0) return;
                continue;
            }
            if (p.revents & POLLNVAL) return input_ended();
        }
        const int byte = std::getc(in);
        if (byte == EOF) {
            if (std::ferror(in) && (errno == EINTR || errno == EAGAIN)) {
                std::clearerr(in);
                continue;
            }
            return input_ended();  // its end: stdio's readers see it too
        }
        unsigned char decoded[KeyDecoder::kMaxOut];
        queue_decoded(decoded, decoder_.feed(static_cast<unsigned char>(byte), decoded));
        if (decoder_.pending()) sequence_deadline_ = now_ms() + kSequenceWaitMs;
        if (!keys_.empty() || (timeout_ms == 0 && !decoder_.pending())) return;
    }
}

int TerminalDevice::key_after_end() {
    last_began_pair_ = false;
    if (!enter_given_) {
        enter_given_ = true;
        return kNoMoreKeys;
    }
    // Nothing will ever come: the program ends as a hangup ends it, also
    // where SIGHUP is ignored, rather than read Enter for ever. exit()
    // puts the terminal back and flushes stdio.
    flush();
    std::exit(128 + SIGHUP);
}

int TerminalDevice::read_key() {
    take_keyboard();
    while (keys_.empty() && !input_ended_) {
        flush();  // everything drawn is seen before the wait
        take_input(-1);
    }
    int key;
    if (keys_.empty()) {
        key = key_after_end();
    } else {
        bool pair;
        key = keys_.pop(pair);
        last_began_pair_ = pair;
    }
    give_back_keyboard();
    return key;
}

bool TerminalDevice::key_comes(int within_ms) {
    flush();  // a prompt printed before a key loop shows
    take_keyboard();
    if (keys_.empty() && !input_ended_) take_input(within_ms);
    give_back_keyboard();
    // At the end of input a read waits no more: it gives Enter, or ends.
    return !keys_.empty() || input_ended_;
}

bool TerminalDevice::key_waiting() { return key_comes(0); }

void TerminalDevice::wait_for_key() {
    take_keyboard();
    while (keys_.empty() && !input_ended_) {
        flush();
        take_input(-1);
    }
    give_back_keyboard();
}

bool TerminalDevice::push_key(unsigned char key) {
    // A pushed-back 0 or 224 begins a two-byte key, as it does on Windows.
    return keys_.push_front(key, key == 0 || key == 224);
}

Device& terminal_device() {
    // Never destroyed: exit and signal handlers may still need the terminal.
    static TerminalDevice* device = new TerminalDevice(standard_terminal());
    return *device;
}

}  // namespace versos::console
