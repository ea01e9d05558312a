// The real versos and versos-pegar binaries, end to end, on the file
// clipboard: what holds on every system.
#include "tests/core/command_run.h"

namespace versos::testing {
namespace {

TEST_F(VersosCommand, WrongArgumentCountsLeaveTheClipboardAlone) {
    write_file(clip, "earlier");
    for (const auto& args : std::vector<std::vector<std::string>>{{}, {"x"}, {"x", "1", "2"}, {"x", "1", "2", "3"}}) {
        EXPECT_EQ(versos(args).status, 1);
        EXPECT_EQ(read_file(clip), "earlier");
    }
}

TEST_F(VersosCommand, UnrecognisedModesEmptyTheClipboardAndFail) {
    for (const std::string mode : {"F", "!", "", " x", "\xE9", "W", "G"}) {
        write_file(clip, "earlier");
        EXPECT_EQ(versos({mode, "1"}).status, 1) << "mode '" << mode << "'";
        EXPECT_FALSE(read_file(clip).has_value()) << "mode '" << mode << "' left an item";
    }
}

TEST_F(VersosCommand, KnownFragmentsOfTheOriginalSequence) {
    // srand(1) yields 41, 18467, 6334, ...
    EXPECT_EQ(fragment("k", "1"), "un");                 // 41 % 2 = 1
    EXPECT_EQ(fragment("x", "1"), "Suculentamente un");  // 41 % 20, 18467 % 1691 = 1557, 6334 % 7 = 6
    EXPECT_EQ(fragment("A", "1"),
              "s\xFA"
              "bita tormenta");                 // accented bytes as Windows-1252
    EXPECT_EQ(fragment("kitchen", "1"), "un");  // only the first character counts
}

TEST_F(VersosCommand, ModeWMayLeaveAnEmptyTextItem) {
    EXPECT_EQ(fragment("w", "1"), "");  // 41 % 3 != 0: the empty text, still an item
    EXPECT_TRUE(read_file(clip).has_value());
    EXPECT_EQ(fragment("w", "2").substr(fragment("w", "2").size() - 2), ", ");
}

TEST_F(VersosCommand, SeedTextsConvertAsAtoi) {
    const std::string at42 = fragment("B", "42");
    EXPECT_EQ(fragment("B", "42"), at42) << "one seed, one fragment";
    EXPECT_EQ(fragment("B", "   42"), at42);
    EXPECT_EQ(fragment("B", "\t42"), at42);
    EXPECT_EQ(fragment("B", "42abc"), at42);
    EXPECT_EQ(fragment("B", "+42"), at42);
    EXPECT_EQ(fragment("B", "abc"), fragment("B", "0"));
    EXPECT_EQ(fragment("B", ""), fragment("B", "0"));
    EXPECT_EQ(fragment("B", "-1"), likeness_line(4294967295u));  // srand takes the int as unsigned
    EXPECT_EQ(fragment("B", "99999999999"), fragment("B", "2147483647"));
    EXPECT_EQ(fragment("B", "-99999999999"), likeness_line(2147483648u));  // INT_MIN
}

TEST_F(VersosCommand, PegarPrintsUtf8OrRawBytes) {
    write_file(clip, "alusi\xF3n \x80");
    ProcessResult r = run_program(PEGAR_BIN, {}, env());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "alusi\xC3\xB3n \xE2\x82\xAC");
    r = run_program(PEGAR_BIN, {"-r"}, env());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "alusi\xF3n \x80");
}

TEST_F(VersosCommand, PegarTellsAnEmptyItemFromNoItem) {
    write_file(clip, "");
    ProcessResult r = run_program(PEGAR_BIN, {}, env());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    ::unlink(clip.c_str());
    r = run_program(PEGAR_BIN, {}, env());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
}

TEST_F(VersosCommand, PegarCommandLine) {
    const ProcessResult help = run_program(PEGAR_BIN, {"--help"}, env());
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage"), std::string::npos);
    EXPECT_TRUE(is_usage_error(run_program(PEGAR_BIN, {"-x"}, env()), "versos-pegar", "unknown option '-x'"));
    EXPECT_TRUE(is_usage_error(run_program(PEGAR_BIN, {"--", "-r"}, env()), "versos-pegar", "-r"));
    EXPECT_TRUE(is_usage_error(run_program(PEGAR_BIN, {"extra"}, env()), "versos-pegar", "extra"));
    write_file(clip, "x");
    const ProcessResult ended = run_program(PEGAR_BIN, {"-r", "--"}, env());
    EXPECT_EQ(std::make_pair(ended.status, ended.out), std::make_pair(0, std::string("x")));
}

}  // namespace
}  // namespace versos::testing
