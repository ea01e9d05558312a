// The ficheros command as a user runs it: output, exit status, messages.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <versos/util/coding.h>
#include <cstdlib>
#include <filesystem>

#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/util/odd_targets.h"
#include "tests/util/zero_run_reference.h"

namespace versos {
namespace {

using testing::Bytes;
using testing::read_bytes;
using testing::write_file;

using testing::ProcessResult;

std::string text(const Bytes& b) { return std::string(b.begin(), b.end()); }

class Ficheros : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()); }
    std::string path(const std::string& name) const { return dir / name; }

    // Runs ficheros with TMPDIR in the scratch folder; standard error goes
    // to err_fd when given, standard input is a pipe holding `input`.
    ProcessResult run(std::vector<std::string> args, int err_fd = -1, const Bytes& input = {}) {
        args.insert(args.begin(), FICHEROS_PATH);
        // Within a pipe's capacity: written whole before ficheros reads it.
        EXPECT_LE(input.size(), 4096u);
        // Large files under the sanitizers take a while: the time-out only
        // turns a hang into a failure.
        return testing::run_program(args,
                                    {testing::environment_with({"TMPDIR=" + dir.path()}), text(input), 300, err_fd});
    }

    testing::TempFolder dir;
};

TEST_F(Ficheros, HelpListsEverySubcommandOnALineOfItsOwn) {
    const ProcessResult r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* name : {"comprexe",
                             "dcomprexe",
                             "comprexebis",
                             "dcomprexebis",
                             "tienecerosf",
                             "cerosahorradosf",
                             "cerosahorradosbisf",
                             "cerosahorradosplusf",
                             "cerosahorradosplusf1",
                             "numcerosmatf",
                             "codef",
                             "codef1",
                             "codebitf",
                             "decodebitf",
                             "codexef",
                             "dcodexef",
                             "codexebisf",
                             "decodexebisf",
                             "movef",
                             "copyf",
                             "rbitchar",
                             "lbitchar"})
        EXPECT_NE(r.out.find(std::string("\n  ") + name + " "), std::string::npos) << name;
    EXPECT_NE(r.out.find("not encryption"), std::string::npos);
}

TEST_F(Ficheros, WrongCommandLinesExitWithTwoAndUsage) {
    write_file(path("in"), {'a'});
    const std::vector<std::vector<std::string>> wrong = {{},
                                                         {"nosuch", "a", "b"},
                                                         {"comprexe", path("in")},
                                                         {"codef", path("in"), path("out"), ""},
                                                         {"tienecerosf", path("in"), "extra"},
                                                         {"rbitchar", "256", "1"},
                                                         {"rbitchar", "1", "-1"},
                                                         {"lbitchar", "x", "1"},
                                                         {"lbitchar", "0x", "1"},
                                                         {"lbitchar", "0x-1", "1"}};
    for (const auto& args : wrong)
        EXPECT_TRUE(is_usage_error(run(args), "ficheros")) << (args.empty() ? "" : args[0]);
    EXPECT_TRUE(is_usage_error(run({"codef", path("in"), path("out"), ""}), "ficheros", "key must not be empty"));
    EXPECT_TRUE(is_usage_error(run({"--bogus", "x"}), "ficheros", "unknown option '--bogus'"));
    EXPECT_TRUE(is_usage_error(run({"comprexe", path("in")}), "ficheros", "comprexe takes 2 arguments: SRC DST"));
    EXPECT_FALSE(testing::exists(path("out")));
    // "--" before the subcommand and first after it.
    write_file(path("zeros"), {'a', 0});
    const ProcessResult ended = run({"--", "tienecerosf", "--", path("zeros")});
    EXPECT_EQ(std::make_pair(ended.status, ended.out), std::make_pair(0, std::string("1\n")));
}

TEST_F(Ficheros, PrintsTheResultAndExitsByIt) {
    const Bytes data = {'x', 0, 0, 0, 'y'};
    write_file(path("in"), data);
    ProcessResult r = run({"comprexe", path("in"), path("in.z")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "1\n");
    EXPECT_EQ(read_bytes(path("in.z")), reference::encode_plain(data));

    r = run({"codexef", path("in"), path("in.cod"), "CLAVE"});
    EXPECT_EQ(std::make_pair(r.status, r.out), std::make_pair(0, std::to_string(codexe_completo) + "\n"));
    r = run({"dcodexef", path("in.cod"), path("back"), "CLAVE"});
    EXPECT_EQ(std::make_pair(r.status, r.out), std::make_pair(0, std::to_string(codexe_completo) + "\n"));
    EXPECT_EQ(read_bytes(path("back")), data);

    EXPECT_EQ(run({"tienecerosf", path("in")}).out, "1\n");
    EXPECT_EQ(run({"rbitchar", "1", "1"}).out, "128\n");
    EXPECT_EQ(run({"lbitchar", "0x80", "1"}).out, "1\n");
    EXPECT_EQ(run({"lbitchar", "010", "1"}).out, "20\n");  // decimal, not octal
    EXPECT_EQ(run({"rbitchar", "08", "09"}).out, "4\n");
    // -1 here is an estimate, not a failure: the file was read.
    write_file(path("one"), {'a', 0, 'b'});
    r = run({"cerosahorradosf", path("one")});
    EXPECT_EQ(std::make_pair(r.status, r.out), std::make_pair(0, std::string("-1\n")));

    r = run({"numcerosmatf", path("in")});
    EXPECT_EQ(r.status, 0);
    // UTF-8 for a person, where the library routine prints code page 850.
    EXPECT_EQ(r.out, "\n3 = 1\n\nMayor o igual a 1024 = 0\n\nM\xC3\xA1ximo n\xC3\xBAmero de ceros = 3\n");
}

TEST_F(Ficheros, ALongRunReportIsShownWhole) {
    // One run of each length from 1 to 900: a report of some 7 KB, taken
    // from the capture in several pieces.
    Bytes data;
    std::string expected;
    for (int n = 1; n <= 900; ++n) {
        data.insert(data.end(), static_cast<std::size_t>(n), 0);
        data.push_back('x');
        expected += "\n" + std::to_string(n) + " = 1\n";
    }
    expected += "\nMayor o igual a 1024 = 0\n\nM\xC3\xA1ximo n\xC3\xBAmero de ceros = 900\n";
    write_file(path("runs"), data);
    const ProcessResult r = run({"numcerosmatf", path("runs")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, expected);
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

TEST_F(Ficheros, FailuresNameTheFileAndExitWithOne) {
    const std::string missing = path("missing");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"comprexe", missing, path("out")},
                                                 {"tienecerosf", missing},
                                                 {"cerosahorradosplusf", missing},
                                                 {"numcerosmatf", missing},
                                                 {"codexef", missing, path("out"), "K"},
                                                 {"decodexebisf", missing, path("out"), "K"}}) {
        const ProcessResult r = run(args);
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_NE(r.err.find("'" + missing + "'"), std::string::npos) << r.err;
    }
    EXPECT_EQ(run({"tienecerosf", missing}).out, "-1\n");
    EXPECT_EQ(run({"numcerosmatf", missing}).out, "");

    // A pipeline whose last step fails drops its intermediate data while the
    // source still holds it, and keeps it, saying where, when the source was
    // a pipe that can't be read again.
    write_file(path("in"), {'a', 0, 'b'});
    std::filesystem::create_directory(path("target"));
    write_file(path("target") + "/inside", Bytes{});
    ProcessResult r = run({"codexef", path("in"), path("target"), "K"});
    EXPECT_EQ(std::make_pair(r.status, r.out), std::make_pair(1, std::string("3\n")));
    EXPECT_NE(r.err.find("'" + path("target") + "'"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("left in"), std::string::npos) << r.err;

    const Bytes packed = reference::encode_plain({'a', 0, 'b'});
    Bytes coded = packed;
    for (std::uint8_t& b : coded) b ^= 'K';
    r = run({"dcodexef", "/dev/stdin", path("target"), "K"}, -1, coded);
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

}  // namespace
}  // namespace versos
