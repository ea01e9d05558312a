// versos-lote through a POSIX shell and POSIX pipes: its standard streams
// on files, a full disk (/dev/full), and answers awaited line by line.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <string>
#include <utility>
#include <vector>

#include "tests/generador/lote_run.h"

namespace versos::testing {
namespace {

// More lines than one read or one write takes, cut anywhere.
TEST(VersosLote, ManyLinesThroughFiles) {
    TempFolder folder;
    std::string input;
    std::vector<std::pair<char, int>> pairs;
    for (int i = 0; i < 60'000; ++i) {
        pairs.emplace_back(modos[i % 41], i * 7919 - 200'000'000);
        input += std::string(1, pairs.back().first) + " " + std::to_string(pairs.back().second) + "\n";
    }
    write_file(folder / "in", input);
    const ProcessResult s = run_program({"/bin/sh", "-c", "cd '" + folder.path() + "' && '" LOTE_BIN "' <in >out"},
                                        ProcessOptions{{"PATH=/usr/bin:/bin"}, "", 30});
    EXPECT_EQ(s.status, 0) << s.err;
    EXPECT_EQ(read_file(folder / "out"), lines_of(pairs));
}

TEST(VersosLote, AFullDisk) {
    // A write that fails is a failure, said once.
    const ProcessResult r = run_program({"/bin/sh", "-c", "'" LOTE_BIN "' x 1 100000 >/dev/full"},
                                        ProcessOptions{{"PATH=/usr/bin:/bin"}, "", 30});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "versos-lote: cannot write the fragments: No space left on device\n");
    for (const char* option : {"--help", "--version"}) {
        const ProcessResult o = run_program({"/bin/sh", "-c", std::string("'" LOTE_BIN "' ") + option + " >/dev/full"},
                                            ProcessOptions{{"PATH=/usr/bin:/bin"}, "", 30});
        EXPECT_EQ(o.status, 2) << option;
        EXPECT_EQ(o.err, "versos-lote: standard output: No space left on device\n") << option;
    }
}

// versos-lote with its standard input and output on pipes the test holds, as
// a shell's coprocess: lines are sent and answers awaited one at a time.
class Coprocess {
public:
    // `waiting`: written into its input before it starts.
    Coprocess(bool nonblocking_input, const std::string& waiting) {
        std::signal(SIGPIPE, SIG_IGN);  // sending to one that has ended fails instead
        if (::pipe2(in_, O_CLOEXEC) != 0 || ::pipe2(out_, O_CLOEXEC) != 0) return;
        if (nonblocking_input) ::fcntl(in_[0], F_SETFL, O_NONBLOCK);
        send(waiting);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(in_[0], STDIN_FILENO);
            ::dup2(out_[1], STDOUT_FILENO);
            ::execl(LOTE_BIN, LOTE_BIN, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(in_[0]);
        ::close(out_[1]);
    }
    ~Coprocess() { finish(); }
    bool ok() const { return pid_ > 0; }

    void send(const std::string& text) {
        if (in_[1] >= 0) (void)!::write(in_[1], text.data(), text.size());  // within a pipe's capacity
    }
    // Its output up to the `count`-th newline; less if it ends its output,
    // or if nothing comes for a minute (a hang, not a timing).
    std::string receive_lines(int count) {
        std::string got;
        while (std::count(got.begin(), got.end(), '\n') < count) {
            pollfd ready = {out_[0], POLLIN, 0};
            if (::poll(&ready, 1, 60000) != 1) break;
            char c;
            if (::read(out_[0], &c, 1) != 1) break;
            got += c;
        }
        return got;
    }
    // Ends its input and waits for it: its exit status.
    int finish() {
        if (in_[1] >= 0) ::close(in_[1]);
        in_[1] = -1;
        if (pid_ <= 0) return -1;
        receive_lines(INT_MAX);
        ::close(out_[0]);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    int in_[2] = {-1, -1}, out_[2] = {-1, -1};
    pid_t pid_ = -1;
};

TEST(VersosLote, AnswersEachLineBeforeWaitingForTheNext) {
    Coprocess lote(false, "x 1\n");
    ASSERT_TRUE(lote.ok());
    EXPECT_EQ(lote.receive_lines(1), lines_of({{'x', 1}}));
    lote.send("B 42\ny 3\n");
    EXPECT_EQ(lote.receive_lines(2), lines_of({{'B', 42}, {'y', 3}}));
    EXPECT_EQ(lote.finish(), 0);
}

TEST(VersosLote, WaitsOnANonBlockingInput) {
    // Its input runs dry while the writer still holds it: a read would
    // wait, and on a non-blocking input fails with EAGAIN instead.
    Coprocess lote(true, "x 1\n");
    ASSERT_TRUE(lote.ok());
    EXPECT_EQ(lote.receive_lines(1), lines_of({{'x', 1}}));
    lote.send("y 2\n");
    EXPECT_EQ(lote.receive_lines(1), lines_of({{'y', 2}}));
    EXPECT_EQ(lote.finish(), 0);
}

}  // namespace
}  // namespace versos::testing
