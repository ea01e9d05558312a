// The ficheros command as a user runs it: output, exit status, messages.
#include <gtest/gtest.h>

#include <versos/util/coding.h>

#include <cstdlib>
#include <filesystem>

#include "tests/util/ficheros_run.h"
#include "tests/util/zero_run_reference.h"

namespace versos {
namespace {

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
        expected.append("\n").append(std::to_string(n)).append(" = 1\n");
    }
    expected += "\nMayor o igual a 1024 = 0\n\nM\xC3\xA1ximo n\xC3\xBAmero de ceros = 900\n";
    write_file(path("runs"), data);
    const ProcessResult r = run({"numcerosmatf", path("runs")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, expected);
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
    // source still holds it (and keeps it when the source was a pipe:
    // ficheros_linux_test.cpp).
    write_file(path("in"), {'a', 0, 'b'});
    std::filesystem::create_directory(path("target"));
    write_file(path("target") + "/inside", Bytes{});
    ProcessResult r = run({"codexef", path("in"), path("target"), "K"});
    EXPECT_EQ(std::make_pair(r.status, r.out), std::make_pair(1, std::string("3\n")));
    EXPECT_NE(r.err.find(quoted(path("target"))), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("left in"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace versos
