// Runs under a pseudo-terminal for the terminal device's test: as a shell
// does, it starts the program in a process group of its own in the
// foreground (so that Ctrl+Z stops it) and reports how it stops and ends.
// The program draws, reads keys and reports them, and is stopped, continued
// and killed from outside.
//
//   console_terminal_driver REPORT_FD GO_FD
//
// With standard input and output redirected, it reports instead what the
// device does without a terminal:
//
//   console_terminal_driver --redirected REPORT_FD
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lib/console/device.h"

namespace {

int report_fd;

void say(const char* text) {
    std::size_t n = std::strlen(text);
    if (write(report_fd, text, n) != static_cast<ssize_t>(n)) std::_Exit(3);
}

// What the test checks: keys typed while the program is busy reach the next
// read unechoed and whole.
void program(int go_fd) {
    using namespace versos::console;
    Device& d = device();
    d.set_attribute(0x1E);
    d.set_cursor(Point{2, 1});
    d.write("hello", 5);
    d.set_cursor_shape(CursorShape{false, 100});
    d.key_waiting();  // the keyboard is the console's from here on
    char line[64];
    std::snprintf(line, sizeof line, "ready %d\n", static_cast<int>(getpid()));
    say(line);
    std::snprintf(line, sizeof line, "key %d\n", d.read_key());
    say(line);
    char go;
    if (read(go_fd, &go, 1) != 1) std::_Exit(4);  // busy, while keys are typed
    int a = d.read_key(), b = d.read_key(), c = d.read_key(), e = d.read_key();
    std::snprintf(line, sizeof line, "keys %d %d %d %d\n", a, b, c, e);
    d.set_cursor(Point{2, 3});
    d.write("done", 4);
    say(line);
    for (;;) {  // stopped, continued and killed from here
        std::snprintf(line, sizeof line, "key %d\n", d.read_key());
        say(line);
    }
}

// Nothing may wait or crash; nothing written is sent or kept.
void redirected() {
    using namespace versos::console;
    Device& d = device();
    d.set_cursor(Point{0, 0});
    d.write("hello", 5);
    d.set_cursor_shape(CursorShape{false, 100});
    int key = d.read_key();
    bool waiting = d.key_waiting();
    d.wait_for_key();
    bool pushed = d.push_key('a');
    Cell kept[5];
    bool read = d.read_cells(Rect{0, 0, 4, 0}, kept);
    bool written = d.write_cells(Rect{0, 0, 4, 0}, kept);
    char line[128];
    std::snprintf(line, sizeof line, "shows %d reads %d key %d waiting %d pushed %d read %d written %d cursor %d\n",
                  d.shows_output(), d.reads_keys(), key, waiting, pushed, read, written, d.cursor().x);
    say(line);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--redirected") == 0) {
        report_fd = std::atoi(argv[2]);
        redirected();
        return 0;
    }
    if (argc != 3) return 2;
    report_fd = std::atoi(argv[1]);
    int go_fd = std::atoi(argv[2]);
    signal(SIGTTOU, SIG_IGN);
    pid_t child = fork();
    if (child < 0) return 2;
    if (child == 0) {
        setpgid(0, 0);
        tcsetpgrp(STDIN_FILENO, getpid());
        signal(SIGTTOU, SIG_DFL);
        program(go_fd);
    }
    // Both sides set the group up, as shells do, whichever runs first.
    setpgid(child, child);
    tcsetpgrp(STDIN_FILENO, child);
    char line[64];
    for (;;) {
        int status;
        if (waitpid(child, &status, WUNTRACED) < 0) return 2;
        if (WIFSTOPPED(status)) {
            std::snprintf(line, sizeof line, "stopped %d\n", WSTOPSIG(status));
        } else {
            std::snprintf(line, sizeof line, "ended %d\n", WIFSIGNALED(status) ? WTERMSIG(status) : -1);
            say(line);
            return 0;
        }
        say(line);
    }
}
