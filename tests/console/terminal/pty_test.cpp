// The terminal device on a pseudo-terminal, as a person uses it: keys typed
// while the program is busy reach it unechoed and whole; stopped with Ctrl+Z
// and killed with SIGTERM, it leaves the terminal's mode as it found it and
// the cursor visible; continued or resized, its mode and its screen are
// back. And the same program with standard input and output redirected.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "tests/console/terminal/vterm_screen.h"

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

TEST(TerminalDeviceOnPty, KeysUnechoedAndTheTerminalPutBackWhenStoppedAndKilled) {
    int master, slave;
    winsize size{25, 80, 0, 0};
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) GTEST_SKIP() << "no pseudo-terminal to be had";
    const termios before = mode_of(slave);
    int report[2], go[2];
    ASSERT_EQ(pipe(report), 0);
    ASSERT_EQ(pipe(go), 0);
    pid_t driver = fork();
    ASSERT_GE(driver, 0);
    if (driver == 0) {
        setsid();
        ioctl(slave, TIOCSCTTY, 0);
        dup2(slave, STDIN_FILENO);
        dup2(slave, STDOUT_FILENO);
        close(slave);
        close(master);
        close(report[0]);
        close(go[1]);
        setenv("TERM", "xterm", 1);
        std::string r = std::to_string(report[1]), g = std::to_string(go[0]);
        execl(CONSOLE_TERMINAL_DRIVER, CONSOLE_TERMINAL_DRIVER, r.c_str(), g.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(report[1]);
    close(go[0]);
    Stream reports(report[0]), screen(master);
    testing::VtermScreen shown(25, 80);

    std::string ready = reports.line();
    ASSERT_EQ(ready.rfind("ready ", 0), 0u) << ready;
    pid_t program = std::stoi(ready.substr(6));
    termios keys = mode_of(slave);
    EXPECT_EQ(keys.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_NE(keys.c_lflag & ISIG, 0u) << "Ctrl+C and Ctrl+Z act while the input mode says so";

    type(master, "x");
    EXPECT_EQ(reports.line(), "key 120");
    type(master, "qz\x1b[A");  // while the program is busy
    ASSERT_EQ(write(go[1], "g", 1), 1);
    EXPECT_EQ(reports.line(), "keys 113 122 224 72");
    // An echo would have come before what the program drew after reading.
    ASSERT_TRUE(screen.read_until("done"));
    shown.feed(screen.all);
    for (int row = 0; row < 25; ++row) {
        std::string expected(80, ' ');
        if (row == 1) expected.replace(2, 5, "hello");
        if (row == 3) expected.replace(2, 4, "done");
        EXPECT_EQ(shown.row_text(row), expected) << "row " << row;
    }
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

    ASSERT_EQ(kill(program, SIGTERM), 0);
    EXPECT_EQ(reports.line(), "ended " + std::to_string(SIGTERM));
    EXPECT_TRUE(same_mode(mode_of(slave), before)) << "the terminal's mode after SIGTERM";
    seen = screen.all.size();
    screen.drain();
    shown.feed(screen.all.substr(seen));
    EXPECT_TRUE(shown.cursor_visible());
    EXPECT_TRUE(shown.pen_is_default());

    int status;
    EXPECT_EQ(waitpid(driver, &status, 0), driver);
    close(master);
    close(slave);
    close(report[0]);
    close(go[1]);
}

TEST(TerminalDeviceRedirected, DropsOutputAndNeverWaits) {
    int report[2], output[2];
    ASSERT_EQ(pipe(report), 0);
    ASSERT_EQ(pipe(output), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int none = open("/dev/null", O_RDONLY);
        dup2(none, STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(report[0]);
        std::string r = std::to_string(report[1]);
        execl(CONSOLE_TERMINAL_DRIVER, CONSOLE_TERMINAL_DRIVER, "--redirected", r.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(report[1]);
    close(output[1]);
    Stream reports(report[0]), written(output[0]);
    EXPECT_EQ(reports.line(), "shows 0 reads 0 key 13 waiting 0 pushed 0 read 0 written 0 cursor 0");
    int status;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    written.drain();
    EXPECT_EQ(written.all, "") << "nothing reaches standard output";
    close(report[0]);
    close(output[0]);
}

}  // namespace
}  // namespace versos::console
