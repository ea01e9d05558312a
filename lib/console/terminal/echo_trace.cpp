#include "lib/console/terminal/echo_trace.h"

#include <algorithm>

namespace versos::console {
namespace {

constexpr int kTabStop = 8;

bool control(unsigned char b) { return b < 0x20 || b == 0x7F; }
// A UTF-8 byte that goes on a character rather than begins one.
bool continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

class Tracer {
public:
    Tracer(Point from, Size screen) : at_(from), screen_(screen) {
        trace_.traced = true;
        trace_.start = from;
    }
    void put_cell() {
        if (wrap_pending_) new_line();
        trace_.cells.push_back(at_);
        if (at_.x == screen_.columns - 1)
            wrap_pending_ = true;
        else
            ++at_.x;
    }
    void new_line() {
        wrap_pending_ = false;
        at_.x = 0;
        if (at_.y < screen_.rows - 1) {
            ++at_.y;
            return;
        }
        // The whole screen moves up: so does everything traced so far.
        ++trace_.scrolled;
        --trace_.start.y;
        std::vector<Point> kept;
        for (Point p : trace_.cells)
            if (p.y > 0) kept.push_back(Point{p.x, p.y - 1});
        trace_.cells.swap(kept);
    }
    void tab() {
        if (wrap_pending_) return;
        at_.x = std::min((at_.x / kTabStop + 1) * kTabStop, screen_.columns - 1);
    }
    EchoTrace done() {
        trace_.end = at_;
        return trace_;
    }

private:
    Point at_;
    Size screen_;
    bool wrap_pending_ = false;
    EchoTrace trace_;
};

}  // namespace

EchoTrace trace_echo(const unsigned char* bytes, int count, Point from, Size screen, bool control_as_caret) {
    if (from.x < 0 || from.y < 0 || from.x >= screen.columns || from.y >= screen.rows) return {};
    Tracer t(from, screen);
    for (int i = 0; i < count; ++i) {
        const unsigned char b = bytes[i];
        if (b == '\n') {
            t.new_line();
        } else if (b == '\t') {
            t.tab();
        } else if (control(b)) {
            if (!control_as_caret) return {};
            t.put_cell();  // ^
            t.put_cell();  // the letter
        } else if (!continuation(b)) {
            t.put_cell();
        }
    }
    return t.done();
}

EchoTrace trace_echo_back(const unsigned char* bytes, int count, Point end, Size screen, bool control_as_caret) {
    int width = 0;
    for (int i = 0; i < count; ++i) {
        const unsigned char b = bytes[i];
        if (b == '\n' || b == '\t') return {};
        if (control(b)) {
            if (!control_as_caret) return {};
            width += 2;
        } else if (!continuation(b)) {
            ++width;
        }
    }
    // On its last column the cursor report can't tell whether the row filled.
    if (end.x < width || end.x >= screen.columns - 1 || end.y < 0 || end.y >= screen.rows) return {};
    return trace_echo(bytes, count, Point{end.x - width, end.y}, screen, control_as_caret);
}

}  // namespace versos::console
