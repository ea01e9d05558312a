// Runs under a pseudo-terminal for the terminal device's test: as a shell
// does, it starts the program in a process group of its own in the
// foreground (so that Ctrl+Z stops it) and reports how it stops and ends.
// The program draws, reads keys and reports them, and is stopped, continued
// and killed from outside.
//
//   console_terminal_driver REPORT_FD GO_FD
//
// With standard input and output redirected, it reads keys from standard
// input (getsf_, getch_, fgets, kbhit_, then reads past its end):
//
//   console_terminal_driver --keys REPORT_FD
//
// The same, a line read by stdio first, then two keys:
//
//   console_terminal_driver --line-then-keys REPORT_FD
//
// A key read, then a line read by stdio, then keys typed ahead while the
// program is busy, on a terminal:
//
//   console_terminal_driver --line REPORT_FD GO_FD
//
// A crash while a key is read, set off by SIGUSR1: abort(), a stack
// overflow, or SIGBUS with another library's handler installed after the
// console's (passing it on) or before it (recovering):
//
//   console_terminal_driver --crash abort|overflow|bus-passed-on|bus-recovered REPORT_FD
//
// A plugin with the console in it loaded, drawing, unloaded; then the
// terminal is resized (SIGWINCH), as it may be at any time:
//
//   console_terminal_driver --plugin PLUGIN REPORT_FD
#include <dlfcn.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <versos/consola.h>

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

// Each key with "p" after it where it begins a two-byte key.
void scripted_keys() {
    using namespace versos;
    char line[256];
    char edited[16] = "";
    getsf_(edited, sizeof edited);
    std::string text = "edited";
    for (const char* p = edited; *p; ++p) {
        std::snprintf(line, sizeof line, " %02X", static_cast<unsigned char>(*p));
        text += line;
    }
    say((text + "\n").c_str());
    text = "keys";
    for (int i = 0; i < 3; ++i) {
        int key = getch_();
        std::snprintf(line, sizeof line, " %d%s", key, versos::console::device().key_began_pair() ? "p" : "");
        text += line;
    }
    say((text + "\n").c_str());
    if (!std::fgets(line, sizeof line, stdin)) std::strcpy(line, "(none)\n");
    say(("line " + std::string(line)).c_str());
    std::snprintf(line, sizeof line, "kbhit %d\n", kbhit_());
    say(line);
    std::snprintf(line, sizeof line, "end %d\n", getch_());
    say(line);
    getch_();  // ends the program
    say("after the end\n");
}

void keys_after_a_line() {
    char line[256];
    if (!std::fgets(line, sizeof line, stdin)) std::strcpy(line, "(none)\n");
    say(("line " + std::string(line)).c_str());
    const int a = versos::getch_(), b = versos::getch_();
    std::snprintf(line, sizeof line, "keys %d %d\n", a, b);
    say(line);
}

void line_after_keys(int go_fd) {
    using namespace versos;
    char line[128];
    gotoxy(3, 6);
    cputs("Carga");
    std::snprintf(line, sizeof line, "key %d\n", getch_());
    say(line);
    if (!std::fgets(line, sizeof line, stdin)) std::strcpy(line, "(none)\n");
    say(("line " + std::string(line)).c_str());
    say("busy\n");
    char go;
    if (read(go_fd, &go, 1) != 1) std::_Exit(4);  // keys are typed ahead meanwhile
    cputs("Listo.");
    int a = getch_(), b = getch_(), c = getch_();
    std::snprintf(line, sizeof line, "keys %d %d %d\n", a, b, c);
    say(line);
}

volatile int depth_reached;

int overflow(int depth) {
    if (depth < 0) return 0;
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    depth_reached = depth;
    return overflow(depth + 1) + frame[0];
}

// SIGBUS handlers of another library: one installed before the console's
// that recovers (as from a mapped file cut short), one installed after it
// that passes the signal on to the handler it found.
sigjmp_buf recovery;
struct sigaction found_before_ours;

void recover(int, siginfo_t*, void*) { siglongjmp(recovery, 1); }

void pass_on(int sig, siginfo_t* info, void* context) {
    if (found_before_ours.sa_flags & SA_SIGINFO) found_before_ours.sa_sigaction(sig, info, context);
}

void install(int sig, void (*handler)(int, siginfo_t*, void*), struct sigaction* previous) {
    struct sigaction a = {};
    a.sa_sigaction = handler;
    a.sa_flags = SA_SIGINFO;
    sigemptyset(&a.sa_mask);
    sigaction(sig, &a, previous);
}

void crash_by_overflow(int) { overflow(0); }
void crash_by_abort(int) { std::abort(); }
void crash_by_sigbus(int) { raise(SIGBUS); }

void crash_while_reading(const std::string& how) {
    using namespace versos;
    if (how == "bus-recovered") install(SIGBUS, recover, nullptr);
    textattr(0x1E);
    _setcursortype(0);
    cputs("crash");  // the console's handlers from here on
    if (how == "bus-passed-on") install(SIGBUS, pass_on, &found_before_ours);
    signal(SIGUSR1, how == "overflow" ? crash_by_overflow : how == "abort" ? crash_by_abort : crash_by_sigbus);
    if (sigsetjmp(recovery, 1) != 0) {
        say("recovered\n");
        return;
    }
    char line[32];
    std::snprintf(line, sizeof line, "ready %d\n", static_cast<int>(getpid()));
    say(line);
    getch_();
    say("no crash\n");
}

void plugin_unloaded(const char* path) {
    void* plugin = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (plugin == nullptr) return say("no plugin\n");
    auto draw = reinterpret_cast<void (*)()>(dlsym(plugin, "draw_through_the_console"));
    if (draw == nullptr) return say("no function\n");
    draw();
    dlclose(plugin);
    // Unloaded indeed, or the rest would prove nothing.
    say(dlopen(path, RTLD_NOW | RTLD_NOLOAD) == nullptr ? "unloaded\n" : "still loaded\n");
    raise(SIGWINCH);
    say("resized\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--keys") == 0) {
        report_fd = std::atoi(argv[2]);
        scripted_keys();
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--line-then-keys") == 0) {
        report_fd = std::atoi(argv[2]);
        keys_after_a_line();
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--line") == 0) {
        report_fd = std::atoi(argv[2]);
        line_after_keys(std::atoi(argv[3]));
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--plugin") == 0) {
        report_fd = std::atoi(argv[3]);
        plugin_unloaded(argv[2]);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--crash") == 0) {
        report_fd = std::atoi(argv[3]);
        crash_while_reading(argv[2]);
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
