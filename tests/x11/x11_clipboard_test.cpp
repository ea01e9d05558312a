// The X11 clipboard of versos and versos-pegar, seen from outside: Xvfb as
// the server, xclip as the other client.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/clipboard/x11/clipboard_x11.h"

#include "tests/x11/x11_harness.h"

namespace {

using x11test::children;
using x11test::fragment;
using x11test::new_child;
using x11test::Result;
using x11test::run;
using x11test::running;
using x11test::wait_exit;
using x11test::xclip_read;

Result versos(const std::string& mode, const std::string& seed, const std::string& display = "") {
    return run({VERSOS_BIN, mode, seed}, display);
}

Result pegar(const std::vector<std::string>& args = {}, const std::string& display = "") {
    std::vector<std::string> argv{VERSOS_PEGAR_BIN};
    argv.insert(argv.end(), args.begin(), args.end());
    return run(argv, display);
}

// The selection owner that one run of versos leaves behind.
pid_t versos_owner(const std::string& mode, const std::string& seed) {
    const std::set<pid_t> before = children();
    const Result r = versos(mode, seed);
    EXPECT_EQ(r.status, 0);
    return new_child(before);
}

// Every run writes nothing at all.
void expect_silent(const Result& r) {
    EXPECT_FALSE(r.timed_out);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
}

std::set<std::string> lines(const std::string& text) {
    std::set<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.insert(line);
    return out;
}

TEST(X11Clipboard, EveryTargetCarriesTheFragmentByteForByte) {
    const std::set<std::string> served = {"TARGETS",
                                          "TIMESTAMP",
                                          "MULTIPLE",
                                          "STRING",
                                          "text/plain;charset=windows-1252",
                                          "UTF8_STRING",
                                          "text/plain;charset=utf-8"};
    int accented = 0;
    for (const char* seed : {"42", "7", "1999", "31337"}) {
        for (const char* mode : {"x", "A", "3", "B"}) {
            SCOPED_TRACE(std::string(mode) + " " + seed);
            const std::string bytes = fragment(mode, seed);
            for (unsigned char ch : bytes) accented += ch >= 0x80;
            expect_silent(versos(mode, seed));

            EXPECT_EQ(lines(xclip_read("TARGETS").out), served);
            EXPECT_EQ(xclip_read("STRING").out, bytes);
            EXPECT_EQ(xclip_read("text/plain;charset=windows-1252").out, bytes);
            EXPECT_EQ(xclip_read("UTF8_STRING").out, x11test::to_utf8(bytes));
            EXPECT_EQ(xclip_read("text/plain;charset=utf-8").out, x11test::to_utf8(bytes));
            const Result stamp = xclip_read("TIMESTAMP");
            EXPECT_EQ(stamp.status, 0);
            EXPECT_GT(std::atol(stamp.out.c_str()), 0) << stamp.out;

            const Result unknown = xclip_read("image/png");
            EXPECT_NE(unknown.status, 0) << "a target that is not served must be refused";
        }
    }
    EXPECT_GE(accented, 5) << "the fragments chosen should hold accented letters";
    // A known one, spelled out: "ningún" is one byte in Windows-1252, two in UTF-8.
    versos("x", "42");
    EXPECT_EQ(xclip_read("STRING").out, "Descaradamente ning\xfan");
    EXPECT_EQ(xclip_read("UTF8_STRING").out, "Descaradamente ning\xc3\xban");
}

TEST(X11Clipboard, ReadableTheMomentTheCommandEnds) {
    for (int i = 0; i < 30; ++i) {
        const std::string mode = i % 2 == 0 ? "x" : "k", seed = std::to_string(1000 + i);
        const std::string expected = fragment(mode, seed);
        ASSERT_EQ(versos(mode, seed).status, 0);
        EXPECT_EQ(xclip_read("STRING").out, expected) << mode << " " << seed;
        if (i % 5 == 0) {
            EXPECT_EQ(pegar({"-r"}).out, expected);
        }
    }
}

TEST(X11Clipboard, CapturingCallerReturnsAtOnceAndTheOwnerIsDetached) {
    // Descriptors that versos inherits beyond its standard streams, whatever
    // the test's own caller left open.
    int extra[2];
    ASSERT_EQ(pipe(extra), 0);
    const std::set<pid_t> before = children();
    const Result r = versos("D", "5");
    close(extra[0]);
    close(extra[1]);
    expect_silent(r);
    EXPECT_EQ(r.status, 0);
    // The owner lives until another client takes the selection: a caller
    // that waited for it would wait for ever, so a generous bound tells.
    EXPECT_LT(r.seconds, 10.0) << "the caller waited for the owner child";
    const pid_t owner = new_child(before);
    ASSERT_GT(owner, 0);
    ASSERT_TRUE(running(owner));

    // Its descriptors: the standard streams on /dev/null and the X connection.
    const std::string fd_dir = "/proc/" + std::to_string(owner) + "/fd/";
    int sockets = 0;
    for (int fd = 0; fd < 1024; ++fd) {
        char target[256];
        const ssize_t n = readlink((fd_dir + std::to_string(fd)).c_str(), target, sizeof target - 1);
        if (n < 0) continue;
        const std::string what(target, static_cast<std::size_t>(n));
        if (fd < 3)
            EXPECT_EQ(what, "/dev/null") << "fd " << fd;
        else if (what.rfind("socket:", 0) == 0)
            ++sockets;
        else
            ADD_FAILURE() << "fd " << fd << " inherited: " << what;
    }
    EXPECT_EQ(sockets, 1);
    EXPECT_NE(getsid(owner), getsid(0)) << "not in a session of its own";
    std::ifstream status("/proc/" + std::to_string(owner) + "/status");
    unsigned long long ignored = 0;
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigIgn:", 0) == 0) ignored = std::stoull(line.substr(7), nullptr, 16);
    EXPECT_TRUE(ignored & (1ull << (SIGHUP - 1))) << "SIGHUP is not ignored";
}

TEST(X11Clipboard, EmptyFragmentIsAnEmptyItemNotNoItem) {
    ASSERT_EQ(fragment("w", "1"), "") << "mode w seed 1 should give the empty fragment";
    expect_silent(versos("w", "1"));
    for (const char* target : {"STRING", "UTF8_STRING"}) {
        const Result r = xclip_read(target);
        EXPECT_EQ(r.status, 0) << target;
        EXPECT_EQ(r.out, "") << target;
    }
    const Result p = pegar();
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(p.out, "");
}

TEST(X11Clipboard, OwnersEndWhenTheSelectionIsTaken) {
    const pid_t first = versos_owner("k", "1");
    ASSERT_GT(first, 0);
    const pid_t second = versos_owner("x", "42");
    ASSERT_GT(second, 0);
    EXPECT_EQ(wait_exit(first, 3), 0) << "the first owner must end once the second run took the selection";
    EXPECT_TRUE(running(second));
    EXPECT_EQ(xclip_read("STRING").out, fragment("x", "42"));

    // Another program takes it.
    const std::set<pid_t> before = children();
    ASSERT_TRUE(x11test::xclip_write("otro"));
    EXPECT_EQ(wait_exit(second, 3), 0);
    EXPECT_EQ(pegar().out, "otro");
    for (pid_t pid : children())
        if (before.count(pid) == 0) {  // xclip's own owner
            kill(pid, SIGTERM);
            wait_exit(pid, 3);
        }

    // An unknown mode only empties the clipboard: no owner, no item.
    const pid_t third = versos_owner("k", "2");
    ASSERT_GT(third, 0);
    const Result unknown = versos("F", "2");
    EXPECT_EQ(unknown.status, 1);
    expect_silent(unknown);
    EXPECT_EQ(wait_exit(third, 3), 0);
    EXPECT_NE(xclip_read("TARGETS").status, 0);
    EXPECT_EQ(pegar().status, 1);
}

// Runs of versos one after another while readers read: each run takes the
// selection from the owner the run before left, which answers what it was
// asked and exits. Every read is answered, with a text one of the runs
// wrote, or none when it came between a run's emptying and its setting.
// Reads and runs go in step, two reads to a run, so that the reads fall
// while owners come and go; each read may take 3 s.
TEST(X11Clipboard, EveryReadIsAnsweredWhileOwnersComeAndGo) {
#ifdef __SANITIZE_ADDRESS__
    // The sanitizers look for memory faults on these paths, which a few
    // hundred runs reach as well; the thousand hunt the race, in the
    // normal build, at a tenth of the cost.
    constexpr int kRuns = 200;
#else
    constexpr int kRuns = 1000;
#endif
    constexpr int kReads = 2 * kRuns;
    const std::vector<std::pair<std::string, std::string>> runs = {
        {"x", "42"}, {"k", "1"}, {"A", "7"}, {"B", "1999"}, {"3", "5"}};
    std::set<std::string> raw, utf8;
    for (const auto& [mode, seed] : runs) {
        raw.insert(fragment(mode, seed));
        utf8.insert(x11test::to_utf8(fragment(mode, seed)));
    }
    versos("F", "0");  // no text from an earlier test: nothing, until the first run sets its own
    const std::set<pid_t> before = children();

    std::mutex mutex;
    std::condition_variable moved;
    int started = 0, done = 0, empty = 0;
    const auto writer = [&] {
        for (int i = 0; i < kRuns; ++i) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                moved.wait(lock, [&] { return done >= 2 * i; });
                started = i + 1;
            }
            moved.notify_all();
            const auto& [mode, seed] = runs[static_cast<std::size_t>(i) % runs.size()];
            const Result r = versos(mode, seed);
            EXPECT_EQ(r.status, 0) << "run " << i;
            expect_silent(r);
        }
    };
    // Read k waits for run k / 2 to start; every tenth read is xclip's, the
    // rest are this process's (a read through xclip costs a process).
    const auto wait_for_run = [&](int k) {
        std::unique_lock<std::mutex> lock(mutex);
        moved.wait(lock, [&] { return started > k / 2; });
    };
    const auto is_xclips = [](int k) { return k % 10 == 9; };
    const auto read_done = [&](bool no_text) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            ++done;
            empty += no_text;
        }
        moved.notify_all();
    };
    // In this process, as versos-pegar reads, in both formats.
    const auto own_reader = [&] {
        versos::X11Clipboard clipboard(std::chrono::seconds(3));
        for (int k = 0; k < kReads; ++k) {
            if (is_xclips(k)) continue;
            wait_for_run(k);
            const bool as_utf8 = k % 2 == 0;
            std::string out, why;
            const versos::ReadResult got =
                clipboard.read_text(as_utf8 ? versos::TextFormat::utf8 : versos::TextFormat::windows1252, out, why);
            EXPECT_NE(got, versos::ReadResult::unreachable) << why;
            if (got == versos::ReadResult::text) {
                EXPECT_EQ((as_utf8 ? utf8 : raw).count(out), 1u) << out;
            }
            read_done(got == versos::ReadResult::no_text);
        }
    };
    // xclip, an outside reader that waits for its answer without end.
    const auto xclip_reader = [&] {
        for (int k = 0; k < kReads; ++k) {
            if (!is_xclips(k)) continue;
            wait_for_run(k);
            const Result r = run({"xclip", "-selection", "clipboard", "-o", "-t", "STRING"}, "", "", 3);
            EXPECT_FALSE(r.timed_out) << "xclip got no answer within 3 s";
            const bool no_text = r.status != 0 && r.err.find("not available") != std::string::npos;
            if (!no_text) {
                EXPECT_EQ(raw.count(r.out), 1u) << r.status << " " << r.out << r.err;
            }
            read_done(no_text);
        }
    };
    setenv("DISPLAY", x11test::test_display().c_str(), 1);  // before the threads: they read the environment
    std::thread threads[] = {std::thread(own_reader), std::thread(xclip_reader), std::thread(writer)};
    for (std::thread& t : threads) t.join();
    unsetenv("DISPLAY");
    std::printf("%d of %d reads came between a run's emptying and its setting\n", empty, kReads);

    const auto& [mode, seed] = runs[(kRuns - 1) % runs.size()];
    EXPECT_EQ(pegar({"-r"}).out, fragment(mode, seed)) << "the last run's text";
    versos("F", "0");
    for (pid_t pid : children())
        if (before.count(pid) == 0) {
            EXPECT_EQ(wait_exit(pid, 3), 0) << "an owner did not end";
        }
}

// Starts an Xvfb of its own; its display number, or "" if it could not
// start within 20 s.
std::string start_xvfb(pid_t& server) {
    versos::testing::Pipe shown;
    if (!shown.ok()) return "";
    server = versos::testing::start_in_child([&] {
        dup2(shown.write_end(), 3);  // -displayfd: the number is written there once it accepts connections
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        execlp("Xvfb", "Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        return 127;
    });
    shown.close_write_end();
    std::string number;
    pollfd wait{shown.read_end(), POLLIN, 0};
    for (char ch = 0; server > 0 && poll(&wait, 1, 20000) == 1 && read(shown.read_end(), &ch, 1) == 1 && ch != '\n';)
        number += ch;
    return number;
}

TEST(X11Clipboard, OwnerEndsWithTheServer) {
    // A server of its own, so that the shared one stays up.
    const std::set<pid_t> before = children();
    pid_t server = -1;
    const std::string number = start_xvfb(server);
    ASSERT_FALSE(number.empty()) << "a second Xvfb did not start";
    const std::string display = ":" + number;
    ASSERT_EQ(run({VERSOS_BIN, "x", "3"}, display).status, 0);
    std::set<pid_t> owners = children();
    owners.erase(server);
    for (pid_t pid : before) owners.erase(pid);
    ASSERT_EQ(owners.size(), 1u);
    const pid_t owner = *owners.begin();
    EXPECT_TRUE(running(owner));
    kill(server, SIGTERM);
    wait_exit(server, 5);
    EXPECT_EQ(wait_exit(owner, 3), 0) << "the owner must end when the server goes away";
}

// Listens on the abstract socket of display `n` and never answers; -1 when
// that socket is taken.
int silent_server(int n) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string name = "/tmp/.X11-unix/X" + std::to_string(n);
    name.copy(addr.sun_path + 1, name.size());
    const socklen_t len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(fd, 8) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// A display number with no server behind it, from `from` on.
int free_display(int from) {
    for (int n = from;; ++n) {
        if (access(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), F_OK) == 0) continue;
        const int probe = silent_server(n);
        if (probe < 0) continue;
        close(probe);
        return n;
    }
}

TEST(X11Clipboard, UnreachableDisplayEndsTheRunQuietlyAndAtOnce) {
    const int nobody = free_display(900), silent_number = free_display(nobody + 1);
    const int silent = silent_server(silent_number);
    ASSERT_GE(silent, 0);
    const std::string none = ":" + std::to_string(nobody), hung = ":" + std::to_string(silent_number);

    // Each wait on the server has its budget (kX11AnswerBudget); the bound
    // here is far above it, so that a loaded machine can't fail the test,
    // and far below what a run without a budget would wait on a silent
    // server (for ever).
    constexpr double kBound = 10.0;
    for (const std::string& display : {none, hung, std::string("not a display")}) {
        SCOPED_TRACE(display);
        const Result r = versos("x", "42", display);
        EXPECT_EQ(r.status, 0);
        expect_silent(r);
        EXPECT_LT(r.seconds, kBound);
        const Result p = pegar({}, display);
        EXPECT_EQ(p.status, 2);
        EXPECT_NE(p.err.find("cannot reach the clipboard"), std::string::npos) << p.err;
        EXPECT_LT(p.seconds, kBound);
    }
    close(silent);
}

TEST(VersosPegar, Utf8ByDefaultRawBytesWithR) {
    versos("x", "42");
    EXPECT_EQ(pegar().out, "Descaradamente ning\xc3\xban");
    EXPECT_EQ(pegar({"-r"}).out, "Descaradamente ning\xfan");
}

TEST(VersosPegar, OtherOwnersFallbackRefusalAndSilence) {
    using x11test::start_owner;
    // STRING only: the bytes are converted as Windows-1252.
    pid_t owner = start_owner("STRING",
                              "ca\xf1"
                              "a \x80");
    ASSERT_GT(owner, 0);
    EXPECT_EQ(pegar().out,
              "ca\xc3\xb1"
              "a \xe2\x82\xac");
    EXPECT_EQ(pegar({"-r"}).out,
              "ca\xf1"
              "a \x80");

    // UTF8_STRING only: taken as it is; -r asks STRING, which it refuses.
    owner = start_owner("UTF8_STRING",
                        "ca\xc3\xb1"
                        "a");
    ASSERT_GT(owner, 0);
    EXPECT_EQ(pegar().out,
              "ca\xc3\xb1"
              "a");
    Result refused = pegar({"-r"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("holds no text"), std::string::npos) << refused.err;

    // An owner that never answers: the reader gives up after its budget
    // (the bound is far above it, far below for ever).
    owner = start_owner("", "");
    ASSERT_GT(owner, 0);
    const Result silent = pegar();
    EXPECT_EQ(silent.status, 2);
    EXPECT_NE(silent.err.find("did not answer"), std::string::npos) << silent.err;
    EXPECT_LT(silent.seconds, 10.0);
    versos("F", "0");
    EXPECT_EQ(wait_exit(owner, 3), 0);
}

TEST(VersosPegar, AsksTheNewOwnerWhenTheOldOneRefusesAsItLosesTheSelection) {
    const pid_t owner = x11test::start_owner("STRING", "nuevo", true);
    ASSERT_GT(owner, 0);
    const Result p = pegar({"-r"});
    EXPECT_EQ(p.status, 0) << p.err;
    EXPECT_EQ(p.out, "nuevo");
    versos("F", "0");
    EXPECT_EQ(wait_exit(owner, 3), 0);
}

TEST(VersosPegar, ReadsATextSentInPieces) {
    // xclip sends a text beyond its request size incrementally.
    std::string large;
    for (int i = 0; large.size() < 3000000; ++i) large += "verso " + std::to_string(i) + "\n";
    const std::set<pid_t> before = children();
    ASSERT_TRUE(x11test::xclip_write(large));
    const Result p = pegar({"-r"});
    EXPECT_EQ(p.status, 0);
    EXPECT_TRUE(p.out == large) << "read " << p.out.size() << " of " << large.size() << " bytes";
    versos("F", "0");
    for (pid_t pid : children()) {
        if (before.count(pid) == 0) {
            EXPECT_EQ(wait_exit(pid, 3), 0);
        }
    }
}

}  // namespace
