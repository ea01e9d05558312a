#include "lib/console/terminal/terminal_mode.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>

#include "lib/console/unload.h"

namespace versos::console::terminal_mode {
namespace {

// Everything here is read by signal handlers: plain data, flags written
// last.
volatile sig_atomic_t keys_active = 0;
volatile sig_atomic_t reapply_later = 0;
int key_fd = -1;
termios original;     // as enter_keys found it
termios keyboard[2];  // the mode in force and the next, so a handler never reads one half-written
volatile sig_atomic_t keyboard_index = 0;
bool signal_keys_now = true;

int out_fd = -1;
volatile sig_atomic_t linux_console = 0;
volatile sig_atomic_t sent_attribute = 0, sent_hidden = 0, sent_shape = 0;
volatile sig_atomic_t sent_alternate = 0, sent_colours = 0;

volatile sig_atomic_t continued = 0, resized = 0, reset = 0;

constexpr int kWatched[] = {SIGINT,   SIGTERM, SIGHUP,  SIGQUIT, SIGTSTP, SIGCONT,
                            SIGWINCH, SIGABRT, SIGSEGV, SIGBUS,  SIGFPE,  SIGILL};
// Blocked while the keyboard's mode changes, so that no handler sees the
// flag and the terminal disagree; the crash signals can't wait.
constexpr int kDeferrable[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP, SIGCONT};

// Room for the handlers when the stack itself has overflowed.
alignas(16) char alternate_stack[64 * 1024];
struct sigaction previous[sizeof kWatched / sizeof kWatched[0]];
struct sigaction ours[sizeof kWatched / sizeof kWatched[0]];
bool installed = false;

int slot(int sig) {
    for (int i = 0; i < static_cast<int>(sizeof kWatched / sizeof kWatched[0]); ++i)
        if (kWatched[i] == sig) return i;
    return 0;
}

void append(char* buffer, int& length, const char* text) {
    while (*text) buffer[length++] = *text++;
}

// How long the restore may wait for a terminal whose output is stopped
// (Ctrl+S): then it gives up, and the signal or the exit takes its course.
constexpr int kRestoreWaitMs = 100;

long long monotonic_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// Async-signal-safe: writes what the terminal takes within kRestoreWaitMs,
// never blocking in write(2). The descriptor's flags are shared with
// standard output, so they are put back as they were.
void write_within_bound(int fd, const char* text, int length) {
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0) return;
    if (!(flags & O_NONBLOCK)) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    const long long deadline = monotonic_ms() + kRestoreWaitMs;
    while (length > 0) {
        const ssize_t n = write(fd, text, static_cast<std::size_t>(length));
        if (n > 0) {
            text += n;
            length -= static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) break;
        const long long left = deadline - monotonic_ms();
        if (left <= 0) break;
        pollfd p{fd, POLLOUT, 0};
        poll(&p, 1, static_cast<int>(left));
    }
    if (!(flags & O_NONBLOCK)) fcntl(fd, F_SETFL, flags);
}

// Async-signal-safe.
void put_back() {
    char text[64];
    int length = 0;
    if (sent_alternate) append(text, length, kLeaveAlternateScreen);
    if (sent_colours) append(text, length, kTerminalColours);
    if (sent_attribute) append(text, length, kResetPen);
    if (sent_hidden) append(text, length, kShowCursor);
    if (sent_shape) append(text, length, linux_console ? kLinuxTerminalCursorShape : kTerminalCursorShape);
    if (length > 0 && out_fd >= 0) write_within_bound(out_fd, text, length);
    if (keys_active) tcsetattr(key_fd, TCSANOW, &original);
}

bool in_foreground() { return tcgetpgrp(key_fd) == getpgrp(); }

// Async-signal-safe. A process in the background would be stopped for
// setting the mode: it is set at the next key read instead.
void reapply() {
    if (!keys_active) return;
    if (in_foreground())
        tcsetattr(key_fd, TCSANOW, &keyboard[keyboard_index]);
    else
        reapply_later = 1;
}

// True if the program's own handler ran.
bool chain(int sig, siginfo_t* info, void* context) {
    const struct sigaction& p = previous[slot(sig)];
    if (p.sa_flags & SA_SIGINFO) {
        if (p.sa_sigaction == nullptr) return false;
        p.sa_sigaction(sig, info, context);
        return true;
    }
    if (p.sa_handler == SIG_DFL || p.sa_handler == SIG_IGN) return false;
    p.sa_handler(sig);
    return true;
}

// Takes the signal's default effect now.
void take_default(int sig) {
    struct sigaction d = {};
    d.sa_handler = SIG_DFL;
    sigemptyset(&d.sa_mask);
    sigaction(sig, &d, nullptr);
    sigset_t s;
    sigemptyset(&s);
    sigaddset(&s, sig);
    raise(sig);
    sigprocmask(SIG_UNBLOCK, &s, nullptr);
}

void on_terminate(int sig, siginfo_t* info, void* context) {
    int saved_errno = errno;
    put_back();
    // Before the chained handler, which may jump back into the program
    // rather than return (a mapped file's SIGBUS).
    reset = 1;
    if (chain(sig, info, context)) {
        reapply();
    } else {
        take_default(sig);
    }
    errno = saved_errno;
}

void on_stop(int sig, siginfo_t* info, void* context) {
    int saved_errno = errno;
    put_back();
    if (!chain(sig, info, context)) {
        take_default(sig);  // stopped here until SIGCONT
        sigaction(sig, &ours[slot(sig)], nullptr);
    }
    reapply();
    continued = 1;
    errno = saved_errno;
}

void on_continue(int sig, siginfo_t* info, void* context) {
    int saved_errno = errno;
    reapply();
    continued = 1;
    chain(sig, info, context);
    errno = saved_errno;
}

void on_resize(int sig, siginfo_t* info, void* context) {
    int saved_errno = errno;
    resized = 1;
    chain(sig, info, context);
    errno = saved_errno;
}

void at_exit() { put_back(); }

// Only where the thread has none: a sanitizer's or the program's own stays.
void use_alternate_stack() {
    stack_t now = {};
    if (sigaltstack(nullptr, &now) != 0 || !(now.ss_flags & SS_DISABLE)) return;
    stack_t ours_stack = {};
    ours_stack.ss_sp = alternate_stack;
    ours_stack.ss_size = sizeof alternate_stack;
    sigaltstack(&ours_stack, nullptr);
}

void install() {
    if (installed) return;
    installed = true;
    std::atexit(at_exit);
    use_alternate_stack();
    sigset_t mask;
    sigemptyset(&mask);
    for (int sig : kWatched) sigaddset(&mask, sig);
    for (int i = 0; i < static_cast<int>(sizeof kWatched / sizeof kWatched[0]); ++i) {
        int sig = kWatched[i];
        if (sigaction(sig, nullptr, &previous[i]) != 0) continue;
        if (!(previous[i].sa_flags & SA_SIGINFO) && previous[i].sa_handler == SIG_IGN) continue;
        struct sigaction& a = ours[i];
        a = {};
        a.sa_flags = SA_SIGINFO | SA_RESTART | SA_ONSTACK;
        a.sa_mask = mask;
        a.sa_sigaction = sig == SIGTSTP    ? on_stop
                         : sig == SIGCONT  ? on_continue
                         : sig == SIGWINCH ? on_resize
                                           : on_terminate;
        sigaction(sig, &a, nullptr);
    }
}

// Ours still in place for `slot`: nobody installed another handler since.
bool ours_in_place(int i) {
    struct sigaction now = {};
    if (sigaction(kWatched[i], nullptr, &now) != 0) return false;
    return (now.sa_flags & SA_SIGINFO) && now.sa_sigaction == ours[i].sa_sigaction && ours[i].sa_sigaction != nullptr;
}

void apply(bool signal_keys) {
    int next = 1 - keyboard_index;
    keyboard[next] = keyboard[keyboard_index];
    if (signal_keys)
        keyboard[next].c_lflag |= ISIG;
    else
        keyboard[next].c_lflag &= ~ISIG;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    keyboard_index = next;
    signal_keys_now = signal_keys;
    tcsetattr(key_fd, TCSANOW, &keyboard[next]);
}

bool take(volatile sig_atomic_t& flag) {
    if (!flag) return false;
    flag = 0;
    return true;
}

// Blocks the signals whose handlers read the keyboard's state while it lives.
class Deferred {
public:
    Deferred() {
        sigset_t block;
        sigemptyset(&block);
        for (int sig : kDeferrable) sigaddset(&block, sig);
        sigprocmask(SIG_BLOCK, &block, &saved_);
    }
    ~Deferred() { sigprocmask(SIG_SETMASK, &saved_, nullptr); }
    Deferred(const Deferred&) = delete;
    Deferred& operator=(const Deferred&) = delete;

private:
    sigset_t saved_;
};

}  // namespace

bool enter_keys(int fd, bool signal_keys) {
    if (!keys_active) {
        install();
        Deferred deferred;
        if (tcgetattr(fd, &original) != 0) return false;
        key_fd = fd;
        termios k = original;
        k.c_lflag &= ~(ICANON | ECHO | ECHONL | IEXTEN);
        k.c_iflag &= ~(ICRNL | INLCR | IGNCR | IXON | ISTRIP);
        k.c_cc[VMIN] = 1;
        k.c_cc[VTIME] = 0;
        keyboard[0] = keyboard[1] = k;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        keys_active = 1;
        apply(signal_keys);
        return true;
    }
    if (take(reapply_later) || signal_keys != signal_keys_now) apply(signal_keys);
    return true;
}

void set_signal_keys(bool signal_keys) {
    if (keys_active && signal_keys != signal_keys_now) apply(signal_keys);
}

void leave_keys() {
    if (!keys_active) return;
    Deferred deferred;
    tcsetattr(key_fd, TCSANOW, &original);
    keys_active = 0;
    reapply_later = 0;
}

bool found_mode_echoed() { return (original.c_lflag & ECHO) != 0; }
bool found_mode_echoed_controls() { return (original.c_lflag & ECHOCTL) != 0; }
bool found_mode_mapped_enter() { return (original.c_iflag & (ICRNL | IGNCR)) == ICRNL; }

void note_sent(int fd, TerminalKind kind, Sent what) {
    if (out_fd < 0) {
        linux_console = kind == TerminalKind::kLinuxConsole;
        out_fd = fd;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        install();
    }
    if (what & kAttribute) sent_attribute = 1;
    if (what & kCursorHidden) sent_hidden = 1;
    if (what & kCursorShape) sent_shape = 1;
    if (what & kAlternateScreen) sent_alternate = 1;
    if (what & kDefaultColours) sent_colours = 1;
}

void note_undone(Sent what) {
    if (what & kAlternateScreen) sent_alternate = 0;
}

void restore_handlers() {
    if (!installed) return;
    for (int i = 0; i < static_cast<int>(sizeof kWatched / sizeof kWatched[0]); ++i)
        if (ours_in_place(i)) sigaction(kWatched[i], &previous[i], nullptr);
    stack_t now = {};
    if (sigaltstack(nullptr, &now) == 0 && now.ss_sp == alternate_stack && !(now.ss_flags & SS_ONSTACK)) {
        stack_t off = {};
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
    }
    installed = false;
}

bool take_continued() { return take(continued); }
bool take_resized() { return take(resized); }
bool take_reset() { return take(reset); }

}  // namespace versos::console::terminal_mode

namespace versos::console {

void restore_platform_handlers() { terminal_mode::restore_handlers(); }

}  // namespace versos::console
