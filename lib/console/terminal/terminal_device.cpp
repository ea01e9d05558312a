#include "lib/console/terminal/terminal_device.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace versos::console {
namespace {

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

Device& terminal_device() {
    // Never destroyed: exit and signal handlers may still need the terminal.
    static TerminalDevice* device = new TerminalDevice(standard_terminal());
    return *device;
}

}  // namespace versos::console
