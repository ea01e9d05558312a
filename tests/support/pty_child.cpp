#include "tests/support/pty_child.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>

namespace versos::test {

void become_terminal_program(int controller, int terminal, bool with_stderr) {
    setsid();
    ioctl(terminal, TIOCSCTTY, 0);
    dup2(terminal, STDIN_FILENO);
    dup2(terminal, STDOUT_FILENO);
    if (with_stderr) dup2(terminal, STDERR_FILENO);
    close(terminal);
    close(controller);
    setenv("TERM", "xterm", 1);
}

}  // namespace versos::test
