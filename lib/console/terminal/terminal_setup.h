// What a console on a terminal is given: where it draws and where its keys
// come from.
#pragma once

#include <cstdio>

#include "lib/console/device.h"
#include "lib/console/terminal/escapes.h"

namespace versos::console {

struct TerminalSetup {
    int output_fd = -1;  // -1: output is dropped
    Size size{80, 24};   // of the terminal
    TerminalKind kind = TerminalKind::kAnsi;
    int input_fd = -1;  // -1: no key can be read
    // input_fd is a terminal, whose mode is set for each key read; otherwise
    // its bytes are the keys as they come.
    bool input_is_terminal = false;
    // Set where input_fd is a stream's that stdio reads too (standard input
    // without a terminal): keys are taken through it, so that a line read
    // and a key read take their bytes in order.
    std::FILE* input_stream = nullptr;
    // Sets the terminal's mode for keys and puts it back at exit, on signals
    // and while stopped; off for a device that a test drives alone.
    bool whole_process = true;
};

}  // namespace versos::console
