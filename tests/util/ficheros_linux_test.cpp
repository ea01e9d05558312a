// ficheros on what only Linux has: /dev/stdin, a file-size limit (ulimit -f)
// and a pseudo-terminal for the progress line.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "tests/util/ficheros_run.h"
#include "tests/util/odd_targets.h"
#include "tests/util/zero_run_reference.h"

namespace versos {
namespace {

TEST_F(Ficheros, APipelineKeepsWhatAPipeGaveWhenItsLastStepFails) {
    // The source was a pipe that can't be read again: the intermediate data
    // is kept, and the message says where.
    write_file(path("in"), {'a', 0, 'b'});
    std::filesystem::create_directory(path("target"));
    write_file(path("target") + "/inside", Bytes{});
    const Bytes packed = reference::encode_plain({'a', 0, 'b'});
    Bytes coded = packed;
    for (std::uint8_t& b : coded) b ^= 'K';
    const ProcessResult r = run({"dcodexef", "/dev/stdin", path("target"), "K"}, -1, coded);
    EXPECT_EQ(std::make_pair(r.status, r.out), std::make_pair(1, std::string("5\n")));
    const std::string left = "left in '" + path("versos.");
    const std::size_t at = r.err.find(left);
    ASSERT_NE(at, std::string::npos) << r.err;
    const std::string kept = r.err.substr(at + 9, r.err.find('\'', at + 9) - (at + 9));
    EXPECT_EQ(read_bytes(kept), packed);
}

TEST_F(Ficheros, AFileSizeLimitIsAFailureThatNamesTheFile) {
    // Past `ulimit -f` a write fails rather than killing the run: every
    // writing subcommand says so and leaves the old target, the source and
    // nothing else. (movef renames its source onto such a target: it writes
    // nothing.)
    write_file(path("big"), Bytes(200 << 10, 'a'));
    const Bytes old = {'o', 'l', 'd'};
    for (const char* name : {"comprexe", "dcomprexe", "comprexebis", "dcomprexebis", "codef", "codef1", "codebitf",
                             "decodebitf", "codexef", "dcodexef", "codexebisf", "decodexebisf", "copyf"}) {
        write_file(path("target"), old);
        std::vector<std::string> args = {"/bin/sh", "-c", "ulimit -f 64 && exec \"$0\" \"$@\"", FICHEROS_PATH,
                                         name, path("big"), path("target")};
        if (std::string(name).find("code") != std::string::npos) args.push_back("K");
        const ProcessResult r =
            testing::run_program(args, {testing::environment_with({"TMPDIR=" + dir.path()}), "", 300, -1});
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_NE(r.err.find("'" + path("target") + "'"), std::string::npos) << name << ": " << r.err;
        EXPECT_NE(r.err.find("File too large"), std::string::npos) << name << ": " << r.err;
        EXPECT_EQ(read_bytes(path("target")), old) << name;
        testing::expect_only(dir, {"big", "target"});
    }
}

TEST_F(Ficheros, ShowsProgressOnATerminalForLargeFiles) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) GTEST_SKIP() << "no pseudo-terminal here";
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const int terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    auto drain = [&] {
        std::string seen;
        char buf[4096];
        ::fcntl(master, F_SETFL, O_NONBLOCK);
        for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;) seen.append(buf, static_cast<std::size_t>(n));
        return seen;
    };

    write_file(path("small"), Bytes(1 << 20, 'a'));
    EXPECT_EQ(run({"codef", path("small"), path("out"), "K"}, terminal).status, 0);
    EXPECT_EQ(drain(), "");
    write_file(path("large"), Bytes((64 << 20) + 1, 'a'));
    EXPECT_EQ(run({"codef", path("large"), path("out"), "K"}, terminal).status, 0);
    const std::string shown = drain();
    EXPECT_NE(shown.find(path("large")), std::string::npos) << shown;
    EXPECT_NE(shown.find("100%"), std::string::npos) << shown;
    // A name's control bytes reach the terminal as text, not as commands.
    ASSERT_EQ(::link(path("large").c_str(), path("large\033[2J").c_str()), 0);
    EXPECT_EQ(run({"codef", path("large\033[2J"), path("out"), "K"}, terminal).status, 0);
    const std::string quoted = drain();
    EXPECT_NE(quoted.find(path("large\\033[2J")), std::string::npos) << quoted;
    EXPECT_EQ(quoted.find("\033[2J"), std::string::npos) << quoted;
    ::unlink(path("large\033[2J").c_str());
    // Not on a file: standard error stays clean.
    write_file(path("err"), Bytes{});
    const int file = ::open(path("err").c_str(), O_WRONLY);
    EXPECT_EQ(run({"codef", path("large"), path("out"), "K"}, file).status, 0);
    ::close(file);
    EXPECT_EQ(read_bytes(path("err")), Bytes{});
    ::close(terminal);
    ::close(master);
}

TEST_F(Ficheros, HelpAndVersionThatCannotBeWrittenFail) {
    for (const char* option : {"--help", "--version"}) {
        const ProcessResult r =
            testing::run_program({"/bin/sh", "-c", "exec \"$0\" \"$1\" >/dev/full", FICHEROS_PATH, option},
                                 {testing::environment_with({}), "", 60, -1});
        EXPECT_EQ(r.status, 2) << option;
        EXPECT_EQ(r.err, "ficheros: standard output: No space left on device\n") << option;
    }
}

TEST_F(Ficheros, StandardOutputIsWrittenThroughAtItsPosition) {
    // Between the shell's own lines, into a pipe, and after a file's old
    // content (>>): the data goes where the descriptor stands, and the
    // result line to standard error, out of the data.
    write_file(path("s"), {'d', 'a', 't', 'a', '\n'});
    const ProcessResult r =
        testing::run_program({"/bin/sh", "-c",
                              "cd \"$1\" && { echo header; \"$0\" copyf s /dev/stdout; echo trailer; } >out && "
                              "\"$0\" copyf s /dev/fd/1 | cat >piped && { \"$0\" codef s /proc/self/fd/1 K; } >>out",
                              FICHEROS_PATH, dir.path()},
                             {testing::environment_with({"TMPDIR=" + dir.path()}), "", 60, -1});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "1\n1\n1\n");
    Bytes expected = {'h', 'e',  'a', 'd', 'e', 'r', '\n', 'd', 'a', 't',
                      'a', '\n', 't', 'r', 'a', 'i', 'l',  'e', 'r', '\n'};
    for (const char c : std::string("data\n")) expected.push_back(static_cast<std::uint8_t>(c ^ 'K'));
    EXPECT_EQ(read_bytes(path("out")), expected);
    EXPECT_EQ(read_bytes(path("piped")), (Bytes{'d', 'a', 't', 'a', '\n'}));
    testing::expect_only(dir, {"s", "out", "piped"});
}

TEST_F(Ficheros, ControlBytesInNamesAreShownInOctal) {
    const std::string name = path("nope\033]0;T\a\033[2J");
    const ProcessResult r = run({"copyf", name, path("o")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ficheros: copyf: cannot open '" + path("nope\\033]0;T\\007\\033[2J") +
                         "' for reading: No such file or directory\n");
}

}  // namespace
}  // namespace versos
