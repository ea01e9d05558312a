// The terminal device on a pseudo-terminal, as a person uses it: keys typed
// while the program is busy reach it in order and whole, and their echo
// never shifts where it draws; stdio reads lines between key reads; stopped
// with Ctrl+Z, killed with SIGTERM or crashed, it leaves the terminal's mode
// as it found it and the cursor visible; continued or resized, its mode and
// its screen are back. And keys from standard input without a terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "tests/console/terminal/vterm_screen.h"
#include "tests/support/process.h"
#include "tests/support/pty_child.h"

namespace versos::console {
namespace {

constexpr int kPatienceMs = 10000;  // only ever reached when something is wrong

// Everything read from `fd` so far; waits for more as asked.
class Stream {
public:
    explicit Stream(int fd) : fd_(fd) {}
    // Reads until `text` appears at or after `from`; false if it never comes.
    bool read_until(const std::string& text, std::size_t from = 0) {
        while (all.find(text, from) == std::string::npos)
            if (!read_some(kPatienceMs)) return false;
        return true;
    }
    // Everything written so far by processes that have stopped or ended:
    // a read that finds nothing first takes in what the pty still holds.
    void drain() {
        int flags = fcntl(fd_, F_GETFL);
        fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
        char buffer[4096];
        ssize_t n;
        while ((n = read(fd_, buffer, sizeof buffer)) > 0) all.append(buffer, static_cast<std::size_t>(n));
        fcntl(fd_, F_SETFL, flags);
    }
    // True if a whole line waits, reading for up to `timeout_ms` for one.
    bool line_within(int timeout_ms) {
        if (all.find('\n', taken_) != std::string::npos) return true;
        return read_some(timeout_ms) && all.find('\n', taken_) != std::string::npos;
    }
    std::string line() {
        std::size_t end;
        while ((end = all.find('\n', taken_)) == std::string::npos)
            if (!read_some(kPatienceMs)) return "(nothing)";
        std::string l = all.substr(taken_, end - taken_);
        taken_ = end + 1;
        return l;
    }
    std::string all;

private:
    bool read_some(int timeout_ms) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, timeout_ms) <= 0) return false;
        char buffer[4096];
        ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0) return false;
        all.append(buffer, static_cast<std::size_t>(n));
        return true;
    }
    int fd_;
    std::size_t taken_ = 0;
};

bool same_mode(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 && cfgetispeed(&a) == cfgetispeed(&b) &&
           cfgetospeed(&a) == cfgetospeed(&b);
}

termios mode_of(int fd) {
    termios t{};
    EXPECT_EQ(tcgetattr(fd, &t), 0);
    return t;
}

void type(int master, const std::string& keys) {
    ASSERT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
}

// Waits until a key read has the keyboard (no line editing) or has given it
// back; false if that never happens.
bool keyboard_becomes(int fd, bool the_consoles) {
    for (int waited = 0; waited < kPatienceMs; ++waited) {
        if (((mode_of(fd).c_lflag & ICANON) == 0) == the_consoles) return true;
        poll(nullptr, 0, 1);
    }
    return false;
}

// Runs the driver with `args` as the session leader of the pseudo-terminal
// `slave`, its standard input and output; `keep` stays open in it.
pid_t run_on_terminal(int master, int slave, const std::vector<std::string>& args, const std::vector<int>& drop) {
    return versos::testing::start_in_child([&] {
        test::become_terminal_program(master, slave, true);
        for (int fd : drop) close(fd);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        return 127;
    });
}

// The driver on a fresh 80x25 pseudo-terminal, with a pipe on which it
// reports and, unless `go_pipe` is false, one on which the test tells it to
// go on. `ready()` is false when no pseudo-terminal can be had (the test is
// then skipped) or the driver could not start.
struct DriverOnPty {
    int master = -1, slave = -1;
    int report[2] = {-1, -1}, go[2] = {-1, -1};
    pid_t driver = -1;
    termios before{};
    bool no_pty = false;

    explicit DriverOnPty(std::vector<std::string> options, bool go_pipe = true) {
        winsize size{25, 80, 0, 0};
        if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
            no_pty = true;
            return;
        }
        before = mode_of(slave);
        if (pipe(report) != 0 || (go_pipe && pipe(go) != 0)) return;
        std::vector<std::string> args{CONSOLE_TERMINAL_DRIVER};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(std::to_string(report[1]));
        if (go_pipe) args.push_back(std::to_string(go[0]));
        driver = run_on_terminal(master, slave, args, {report[0], go[1]});
        close(report[1]);
        if (go_pipe) close(go[0]);
    }
    ~DriverOnPty() {
        for (int fd : {master, slave, report[0], go[1]})
            if (fd >= 0) close(fd);
    }
    bool ready() const { return driver > 0; }
};

TEST(TerminalDeviceOnPty, KeysInOrderAndTheTerminalPutBackWhenStoppedAndKilled) {
    DriverOnPty pty({});
    if (pty.no_pty) GTEST_SKIP() << "no pseudo-terminal to be had";
    ASSERT_TRUE(pty.ready());
    const int master = pty.master, slave = pty.slave, go = pty.go[1];
    const termios before = pty.before;
    Stream reports(pty.report[0]), screen(master);
    testing::VtermScreen shown(25, 80);

    std::string ready = reports.line();
    ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
    pid_t program = std::stoi(ready.substr(6));
    ASSERT_TRUE(keyboard_becomes(slave, true));
    termios keys = mode_of(slave);
    EXPECT_EQ(keys.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_NE(keys.c_lflag & ISIG, 0u) << "Ctrl+C and Ctrl+Z act while the input mode says so";

    type(master, "x");
    EXPECT_EQ(reports.line(), "key 120");
    EXPECT_TRUE(same_mode(mode_of(slave), before)) << "the keyboard given back between reads";
    type(master, "qz\x1b[A");  // while the program is busy: echoed by the terminal
    ASSERT_TRUE(screen.read_until("qz"));
    ASSERT_EQ(write(go, "g", 1), 1);
    EXPECT_EQ(reports.line(), "keys 113 122 224 72");
    // The echo moved the terminal's cursor: "done" lands where it was placed.
    ASSERT_TRUE(screen.read_until("done"));
    shown.feed(screen.all);
    EXPECT_EQ(shown.row_text(1).substr(2, 5), "hello");
    EXPECT_EQ(shown.row_text(3).substr(0, 8), "  done  ");
    EXPECT_FALSE(shown.cursor_visible());

    type(master, "\x1a");  // Ctrl+Z
    EXPECT_EQ(reports.line(), "stopped " + std::to_string(SIGTSTP));
    EXPECT_TRUE(same_mode(mode_of(slave), before)) << "the terminal's mode while stopped";
    std::size_t seen = screen.all.size();
    screen.drain();
    shown.feed(screen.all.substr(seen));
    EXPECT_TRUE(shown.cursor_visible());
    EXPECT_TRUE(shown.pen_is_default());

    seen = screen.all.size();
    ASSERT_EQ(kill(program, SIGCONT), 0);
    ASSERT_TRUE(screen.read_until("hello", seen)) << "drawn again when continued";
    EXPECT_EQ(mode_of(slave).c_lflag & (ICANON | ECHO), 0u) << "the console's mode back";
    type(master, "k");
    EXPECT_EQ(reports.line(), "key 107");

    // A resized terminal is drawn again at once.
    seen = screen.all.size();
    winsize smaller{20, 60, 0, 0};
    ASSERT_EQ(ioctl(master, TIOCSWINSZ, &smaller), 0);
    ASSERT_TRUE(screen.read_until("hello", seen)) << "drawn again when resized";
    type(master, "r");
    EXPECT_EQ(reports.line(), "key 114");

    // A lone Escape while the terminal is being resized (SIGWINCH 200 times
    // a second): the wait for the rest of a sequence keeps its deadline.
    type(master, "\x1b");
    bool seen_key = false;
    for (int i = 0; i < kPatienceMs / 5 && !seen_key; ++i) {
        kill(program, SIGWINCH);
        seen_key = reports.line_within(5);
    }
    ASSERT_TRUE(seen_key) << "Escape put off while the signals came";
    EXPECT_EQ(reports.line(), "key 27");

    ASSERT_EQ(kill(program, SIGTERM), 0);
    EXPECT_EQ(reports.line(), "ended " + std::to_string(SIGTERM));
    EXPECT_TRUE(same_mode(mode_of(slave), before)) << "the terminal's mode after SIGTERM";
    seen = screen.all.size();
    screen.drain();
    shown.feed(screen.all.substr(seen));
    EXPECT_TRUE(shown.cursor_visible());
    EXPECT_TRUE(shown.pen_is_default());

    int status;
    EXPECT_EQ(waitpid(pty.driver, &status, 0), pty.driver);
}

// getch_ then fgets: the line is echoed and ended by Enter. Keys typed ahead
// while no read waits are echoed by the terminal, reach the next getch_ in
// order and never shift where the console draws.
TEST(TerminalDeviceOnPty, StdioReadsLinesBetweenKeyReads) {
    DriverOnPty pty({"--line"});
    if (pty.no_pty) GTEST_SKIP() << "no pseudo-terminal to be had";
    ASSERT_TRUE(pty.ready());
    const int master = pty.master, slave = pty.slave, go = pty.go[1];
    const termios before = pty.before;
    Stream reports(pty.report[0]), screen(master);

    ASSERT_TRUE(keyboard_becomes(slave, true));
    type(master, "k");
    EXPECT_EQ(reports.line(), "key 107");
    EXPECT_TRUE(same_mode(mode_of(slave), before)) << "the mode the key read found";
    type(master, "hola\r");
    EXPECT_EQ(reports.line(), "line hola");
    EXPECT_TRUE(screen.read_until("hola")) << "echoed";
    EXPECT_EQ(reports.line(), "busy");
    type(master, "xy\r");  // Enter is a line feed in the terminal's own mode
    ASSERT_TRUE(screen.read_until("xy")) << "type-ahead echoed";
    ASSERT_EQ(write(go, "g", 1), 1);
    EXPECT_EQ(reports.line(), "keys 120 121 13");
    int status;
    ASSERT_EQ(waitpid(pty.driver, &status, 0), pty.driver);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    screen.drain();
    testing::VtermScreen shown(25, 80);
    shown.feed(screen.all);
    EXPECT_EQ(shown.row_text(5).substr(0, 14), "  CargaListo. ");
    EXPECT_TRUE(same_mode(mode_of(slave), before));
}

// Under dash, as a person runs it: stty -g before and after a crash while a
// key is read (the keyboard then the console's, the cursor hidden, colours
// set) are the same, and the crash keeps its own status (0: the program
// recovered and ended normally).
void crash_under_dash(const char* how, int signal_number) {
    int master, slave;
    winsize size{25, 80, 0, 0};
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) GTEST_SKIP() << "no pseudo-terminal to be had";
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const std::string script = std::string("ulimit -c 0; echo \"before $(stty -g)\"; \"$0\" --crash ") + how + " " +
                               std::to_string(report[1]) + "; echo \"status $?\"; echo \"after $(stty -g)\"";
    pid_t shell = run_on_terminal(master, slave, {"dash", "-c", script, CONSOLE_TERMINAL_DRIVER}, {report[0]});
    ASSERT_GE(shell, 0);
    close(report[1]);
    Stream reports(report[0]), screen(master);
    std::string ready = reports.line();
    ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
    ASSERT_TRUE(keyboard_becomes(slave, true));
    ASSERT_EQ(kill(std::stoi(ready.substr(6)), SIGUSR1), 0);
    ASSERT_TRUE(screen.read_until("after "));
    int status;
    ASSERT_EQ(waitpid(shell, &status, 0), shell);
    screen.drain();
    std::smatch m;
    ASSERT_TRUE(std::regex_search(screen.all, m, std::regex("before ([0-9a-f:]+)")));
    const std::string stty_before = m[1];
    ASSERT_TRUE(std::regex_search(screen.all, m, std::regex("after ([0-9a-f:]+)")));
    EXPECT_EQ(m[1], stty_before);
    ASSERT_TRUE(std::regex_search(screen.all, m, std::regex("status ([0-9]+)")));
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer, whose handler comes before ours, reports the fault
    // and ends the program itself.
    if (signal_number == SIGSEGV || signal_number == SIGBUS) signal_number = 0;
#endif
    if (std::string(how) == "bus-recovered") {
        EXPECT_EQ(m[1], "0");
        EXPECT_EQ(reports.line(), "recovered");
    } else if (signal_number != 0) {
        EXPECT_EQ(std::stoi(m[1]), 128 + signal_number);
    } else {
        EXPECT_NE(std::stoi(m[1]), 0);
    }
    testing::VtermScreen shown(25, 80);
    shown.feed(screen.all);
    EXPECT_TRUE(shown.cursor_visible());
    EXPECT_TRUE(shown.pen_is_default());
    close(master);
    close(slave);
    close(report[0]);
}

TEST(TerminalDeviceOnPty, PutBackAfterAbort) { crash_under_dash("abort", SIGABRT); }
TEST(TerminalDeviceOnPty, PutBackAfterAStackOverflow) { crash_under_dash("overflow", SIGSEGV); }
// Another library's handler for SIGBUS, installed after the console's or
// before it: each reaches the other.
TEST(TerminalDeviceOnPty, PutBackAfterSigbusPassedOn) { crash_under_dash("bus-passed-on", SIGBUS); }
TEST(TerminalDeviceOnPty, PutBackWhenSigbusIsRecovered) { crash_under_dash("bus-recovered", 0); }

// The terminal's output stopped (Ctrl+S) while a key is read: SIGTERM still
// ends the program, whose restore gives up on the terminal rather than wait.
TEST(TerminalDeviceOnPty, ASignalEndsTheProgramWhileTheTerminalsOutputIsStopped) {
    DriverOnPty pty({"--crash", "abort"}, false);
    if (pty.no_pty) GTEST_SKIP() << "no pseudo-terminal to be had";
    ASSERT_TRUE(pty.ready());
    Stream reports(pty.report[0]), screen(pty.master);
    const std::string ready = reports.line();
    ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
    ASSERT_TRUE(keyboard_becomes(pty.slave, true));
    ASSERT_TRUE(screen.read_until("crash"));
    ASSERT_EQ(tcflow(pty.slave, TCOOFF), 0);
    ASSERT_EQ(kill(pty.driver, SIGTERM), 0);
    int status = 0;
    pid_t ended = 0;
    for (int waited = 0; waited < kPatienceMs && ended == 0; ++waited) {
        ended = waitpid(pty.driver, &status, WNOHANG);
        if (ended == 0) poll(nullptr, 0, 1);
    }
    tcflow(pty.slave, TCOON);
    if (ended == 0) {
        kill(pty.driver, SIGKILL);
        waitpid(pty.driver, &status, 0);
    }
    EXPECT_EQ(ended, pty.driver) << "the program hung putting the terminal back";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
}

// A plugin drew through the console and was unloaded: the signal handlers
// it installed are gone with it, so a resize later does no harm.
TEST(TerminalDeviceOnPty, APluginUsingTheConsoleCanBeUnloaded) {
    // The console's device is made once and kept while its library is
    // loaded: an unloaded plugin leaves its memory unreleased, which
    // LeakSanitizer would report at the driver's exit (status 1). What
    // matters here is the handlers, so the driver runs without leak checks.
    const char* set = std::getenv("ASAN_OPTIONS");
    const std::optional<std::string> found = set ? std::optional<std::string>(set) : std::nullopt;
    setenv("ASAN_OPTIONS", (found.value_or("") + ":detect_leaks=0").c_str(), 1);
    DriverOnPty pty({"--plugin", CONSOLE_TEST_PLUGIN}, false);
    if (found)
        setenv("ASAN_OPTIONS", found->c_str(), 1);
    else
        unsetenv("ASAN_OPTIONS");
    if (pty.no_pty) GTEST_SKIP() << "no pseudo-terminal to be had";
    ASSERT_TRUE(pty.ready());
    Stream reports(pty.report[0]), screen(pty.master);
    EXPECT_EQ(reports.line(), "unloaded");
    EXPECT_EQ(reports.line(), "resized");
    int status = 0;
    ASSERT_EQ(waitpid(pty.driver, &status, 0), pty.driver);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(screen.read_until("plugin"));
}

// Standard input and output redirected, no terminal: the bytes of standard
// input are the keys, decoded as typed ones are, read one at a time so that
// stdio reads what follows; at its end Enter once, then the program ends
// with 129. Nothing reaches standard output; getsf_ shows its text once on
// standard error.
struct Ended {
    std::string reports, output, errors;
    int status = -1;
};

Ended run_with_input(const std::string& input, const char* mode = "--keys") {
    int report[2], in[2], out[2], err[2];
    Ended ended;
    if (pipe(report) != 0 || pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return ended;
    const pid_t child = versos::testing::start_in_child([&] {
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1], report[0]}) close(fd);
        const std::string r = std::to_string(report[1]);
        execl(CONSOLE_TERMINAL_DRIVER, CONSOLE_TERMINAL_DRIVER, mode, r.c_str(), static_cast<char*>(nullptr));
        return 127;
    });
    if (child < 0) return ended;
    for (int fd : {in[0], out[1], err[1], report[1]}) close(fd);
    // Small enough for the pipe: written whole before anything is read.
    if (write(in[1], input.data(), input.size()) != static_cast<ssize_t>(input.size())) return ended;
    close(in[1]);
    Stream reports(report[0]), output(out[0]), errors(err[0]);
    reports.read_until("\n\n");  // never comes: reads to the end
    int status;
    waitpid(child, &status, 0);
    output.drain();
    errors.drain();
    ended.reports = reports.all;
    ended.output = output.all;
    ended.errors = errors.all;
    ended.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    for (int fd : {report[0], out[0], err[0]}) close(fd);
    return ended;
}

TEST(TerminalDeviceWithoutATerminal, StandardInputsBytesAreTheKeys) {
    // Ó is a letter, the cursor key's Escape sequence its two bytes.
    Ended piped = run_with_input(
        "\xC3\x93SCAR\r"
        "a\x1b[A"
        "rest\n");
    EXPECT_EQ(piped.reports,
              "edited E0 53 43 41 52\n"
              "keys 97 224p 72\n"
              "line rest\n"
              "kbhit 1\n"
              "end 13\n");
    EXPECT_EQ(piped.status, 129);
    EXPECT_EQ(piped.output, "");
    EXPECT_EQ(piped.errors, "\xC3\x93SCAR");

    Ended none = run_with_input("");
    EXPECT_EQ(none.reports, "edited\n");
    EXPECT_EQ(none.status, 129);
    EXPECT_EQ(none.output, "");
}

// A line read by stdio, then keys: stdio has read the whole pipe into its
// buffer, and the keys come from there, in order.
TEST(TerminalDeviceWithoutATerminal, ALineThenKeysTakeTheirBytesInOrder) {
    Ended piped = run_with_input("line\nk", "--line-then-keys");
    EXPECT_EQ(piped.reports,
              "line line\n"
              "keys 107 13\n");
    EXPECT_EQ(piped.status, 0);
}

}  // namespace
}  // namespace versos::console
