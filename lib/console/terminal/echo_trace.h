// What a terminal's echo of typed-ahead keys did to its screen, worked out
// from the bytes echoed, as the terminal's line discipline echoes them in
// the mode the console found: each printable character in one cell, other
// control bytes as ^X in two (ECHOCTL), a line feed as CR LF (scrolling the
// whole screen up on the bottom row), a tab moving to the next stop.
//
// Not traced: control bytes echoed as they are (no ECHOCTL), and what the
// line discipline took itself (an erased character, Ctrl+U's line), which
// never reaches the program.
#pragma once

#include <vector>

#include "lib/console/device.h"

namespace versos::console {

struct EchoTrace {
    bool traced = false;       // false: the echo could not be worked out
    std::vector<Point> cells;  // the cells it wrote, where they are now
    int scrolled = 0;          // lines the screen moved up under it
    Point start{}, end{};      // where the terminal's cursor was before and after it, now
};

// The echo of `bytes` from the cursor `from` on a screen of `screen`.
EchoTrace trace_echo(const unsigned char* bytes, int count, Point from, Size screen, bool control_as_caret);

// The same, where only the end is known (the terminal's cursor report after
// it): traced only for an echo on one row, not reaching its last column.
EchoTrace trace_echo_back(const unsigned char* bytes, int count, Point end, Size screen, bool control_as_caret);

}  // namespace versos::console
