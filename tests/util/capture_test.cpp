// The output capture in a program of its own, with standard output a pipe,
// a file, closed and a terminal: what was printed before, during and after,
// everything delivered, and never a file left in TMPDIR.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace {

using versos::testing::ProcessOptions;
using versos::testing::run_program;
using versos::testing::TempFolder;

const std::string kChild = CAPTURE_CHILD;

class CaptureTest : public ::testing::Test {
protected:
    versos::testing::ProcessResult run(const std::string& shell_command) {
        ProcessOptions options;
        options.env = {"TMPDIR=" + tmp.path()};
        return run_program({"/bin/sh", "-c", shell_command}, options);
    }
    bool tmpdir_empty() const { return std::filesystem::is_empty(tmp.path()); }

    TempFolder tmp;
    TempFolder out;
};

const std::string kWholeReport =
    "open 0 files 0 prints 1 1 close 0\n" + std::string(600, 'a') + std::string(5000, 'b') + "de\n";

TEST_F(CaptureTest, OnAPipeEverythingIsDeliveredAndTheOutputIsBackAfter) {
    auto r = run("exec " + kChild + " whole");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "before\nafter\n");
    EXPECT_EQ(r.err, kWholeReport);
    EXPECT_TRUE(tmpdir_empty());
}

TEST_F(CaptureTest, OnAFileEverythingIsDeliveredAndTheOutputIsBackAfter) {
    const std::string file = out / "stdout.txt";
    auto r = run("exec " + kChild + " whole > " + file);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(versos::testing::read_file(file).value_or(""), "before\nafter\n");
    EXPECT_EQ(r.err, kWholeReport);
    EXPECT_TRUE(tmpdir_empty());
}

TEST_F(CaptureTest, TheBoundedFormKeepsWhatDoesNotFitForLater) {
    auto r = run("exec " + kChild + " bounded");
    EXPECT_EQ(r.err, "2 99 1 600 2 1 601 z\n");
    EXPECT_EQ(r.out, "");
}

TEST_F(CaptureTest, TextTheCaptureFileCouldNotKeepIsReportedLost) {
    // 1,000,000 bytes printed, 65,536 kept under the file-size limit: those
    // are delivered, the result says the rest was lost, and so it stays.
    auto r = run("exec " + kChild + " limited");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "prints 0 65536 1, then 0 65536, close 0\n");
    EXPECT_TRUE(tmpdir_empty());
}

TEST_F(CaptureTest, AProgramThatForgetsToCloseLeavesNoFile) {
    auto r = run("exec " + kChild + " forget");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "before\n");
    EXPECT_TRUE(tmpdir_empty());
}

TEST_F(CaptureTest, AClosedStandardOutputIsClosedAgainAfter) {
    auto r = run("exec " + kChild + " closed");
    EXPECT_EQ(r.err, "open 0 close 0 text x closed 1\n");
}

// Output that starts while capturing gives the stream a file's full
// buffering; back on the terminal it must be line-buffered again.
TEST_F(CaptureTest, OnATerminalTheOutputIsLineBufferedAgain) {
    int master;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("TMPDIR", tmp.path().c_str(), 1);
        execl(kChild.c_str(), kChild.c_str(), "terminal", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string shown;
    while (shown.find("after x") == std::string::npos) {
        pollfd p{master, POLLIN, 0};
        if (poll(&p, 1, 10000) <= 0) break;  // only when the line never comes
        char buffer[256];
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) break;
        shown.append(buffer, static_cast<std::size_t>(n));
    }
    EXPECT_NE(shown.find("after x"), std::string::npos) << shown;
    ASSERT_EQ(write(master, "\n", 1), 1);  // lets the program end
    int status;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    close(master);
    EXPECT_TRUE(tmpdir_empty());
}

}  // namespace
