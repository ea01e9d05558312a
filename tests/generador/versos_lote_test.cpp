// versos-lote as a user runs it: its lines are the library's fragments, in
// order; wrong lines are named and skipped; wrong command lines refused.
#include <gtest/gtest.h>

#include <versos/generador.h>
#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "tests/generador/lote_run.h"

namespace versos::testing {
namespace {

TEST(VersosLote, AnswersEveryGoodLineInOrder) {
    // Blank lines and comments, tabs, a Windows line end, a longer mode
    // word, seeds read as atoi reads them, and no newline at the end.
    const std::string input =
        "# a stanza\n"
        "B 42\n"
        "\n"
        "   \t\n"
        "  x\t-1\r\n"
        "Dxyz 2147483647\n"
        "w 3\n"
        "w 1\n"
        "0 42abc\n"
        "k abc\n"
        "  # indented comment\n"
        "E -2147483648";
    const std::string expected = lines_of({{'B', 42}, {'x', -1}, {'D', INT_MAX}, {'w', 3}, {'w', 1}, {'0', 42},
                                           {'k', 0}, {'E', INT_MIN}});
    ProcessResult r = lote({}, input);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(expected.find("\xC3\xB1"), std::string::npos) << "expected an accented letter among them";

    r = lote({"-r"}, input);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, lines_of({{'B', 42}, {'x', -1}, {'D', INT_MAX}, {'w', 3}, {'w', 1}, {'0', 42}, {'k', 0},
                               {'E', INT_MIN}},
                              false));
}

TEST(VersosLote, LinesLongerThanTheBoundAreWrongAndSkipped) {
    // 4096 bytes before the newline is the most; a comment counts too, and
    // so does a last line without a newline.
    const std::string input = "x 1\n#" + std::string(5000, 'c') + "\nB 1" + std::string(9000, ' ') + "\ny 2\n" +
                              std::string(4096, '#') + "\nw 1\n" + std::string(4097, 'A');
    const ProcessResult r = lote({}, input);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, lines_of({{'x', 1}, {'y', 2}, {'w', 1}}));
    EXPECT_EQ(r.err,
              "versos-lote: line 2: longer than 4096 bytes\n"
              "versos-lote: line 3: longer than 4096 bytes\n"
              "versos-lote: line 7: longer than 4096 bytes\n");
}

TEST(VersosLote, WrongLinesAreNamedAndTheOthersStillAnswered) {
    const ProcessResult r = lote({}, "x 1\nQ 5\ny\n\n# fine\nz 1 2\nA 9\n\x01 3\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, lines_of({{'x', 1}, {'A', 9}}));
    EXPECT_EQ(r.err,
              "versos-lote: line 2: unknown mode 'Q'\n"
              "versos-lote: line 3: expected MODE SEED, found 1 word\n"
              "versos-lote: line 6: expected MODE SEED, found 3 words\n"
              "versos-lote: line 8: unknown mode (byte 0x01)\n");
}

TEST(VersosLote, RangeOfSeeds) {
    ProcessResult r = lote({"k", "2147483645", "2147483647"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, lines_of({{'k', INT_MAX - 2}, {'k', INT_MAX - 1}, {'k', INT_MAX}}));
    r = lote({"-r", "Bolero", "-2", "2"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, lines_of({{'B', -2}, {'B', -1}, {'B', 0}, {'B', 1}, {'B', 2}}, false));
    r = lote({"--", "w", "-2147483648", "-2147483648"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, lines_of({{'w', INT_MIN}}));
}

TEST(VersosLote, WrongCommandLines) {
    const std::vector<std::vector<std::string>> wrong = {
        {"x", "5", "4"},           {"x", "1", "12x"},         {"x", "", "3"},     {"x", " 1", "3"},
        {"x", "1", "2147483648"},  {"x", "0x10", "20"},       {"Q", "1", "3"},    {"", "1", "3"},
        {"x", "1"},                {"x", "1", "2", "3"},      {"--", "-r", "1", "2"}};
    for (const auto& args : wrong) {
        std::string shown;
        for (const std::string& a : args) shown += "'" + a + "' ";
        EXPECT_TRUE(is_usage_error(lote(args), "versos-lote")) << shown;
    }
    EXPECT_TRUE(is_usage_error(lote({"--raw"}), "versos-lote", "unknown option '--raw'"));
    EXPECT_TRUE(is_usage_error(lote({"-x", "1", "2"}), "versos-lote", "unknown option '-x'"));
}

TEST(VersosLote, HelpAndVersion) {
    ProcessResult r = lote({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: versos-lote", 0), 0u);
    r = lote({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("versos-lote ", 0), 0u);
}

}  // namespace
}  // namespace versos::testing
