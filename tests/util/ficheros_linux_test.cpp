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
    // nothing else.
    write_file(path("big"), Bytes(200 << 10, 'a'));
    const Bytes old = {'o', 'l', 'd'};
    for (const char* name : {"comprexe", "dcomprexe", "comprexebis", "dcomprexebis", "codef", "codef1", "codebitf",
                             "decodebitf", "codexef", "dcodexef", "codexebisf", "decodexebisf", "copyf", "movef"}) {
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
