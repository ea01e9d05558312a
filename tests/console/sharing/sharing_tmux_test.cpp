// The console sharing a terminal in tmux with the shell's output and the
// program's own stdio: what the console did not draw stays (beside a
// window, under a box), printed text and the console keep their order and
// places, and the console draws while standard output is captured.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/console/demo/tmux_terminal.h"
#include "tests/support/files.h"

namespace versos::test {
namespace {

const std::string kProgram = CONSOLE_SHARING;
const std::string kRuler = "....:....|....:....|....:....|....:....|....:....|....:....|";

std::string shell_line(int i) {
    std::string n = std::to_string(i);
    return "shell line " + std::string(2 - n.size(), ' ') + n + " " + kRuler;
}

class SharingTest : public ::testing::Test {
protected:
    // Runs the program on a cleared screen after `before` (shell commands).
    void start(const std::string& scenario, const std::string& before = "") {
        t.run("clear; " + before + kProgram + " " + scenario);
    }
    // Lets a program started with a pid file go on from its wait.
    void let_go() {
        const int pid = std::atoi(testing::read_file(t.path("pid")).value_or("").c_str());
        ASSERT_GT(pid, 0);
        ASSERT_EQ(kill(pid, SIGUSR1), 0);
    }
    TmuxTerminal t;
};

int rows_holding(const std::vector<std::string>& rows, const std::string& text) {
    int n = 0;
    for (const std::string& row : rows) n += row.find(text) != std::string::npos;
    return n;
}

TEST_F(SharingTest, AWindowLeavesTheShellOutputBesideIt) {
    start("window", "for i in $(seq 1 12); do printf 'shell line %2d %s\\n' $i '" + kRuler + "'; done; ");
    std::string shown;
    ASSERT_TRUE(t.wait_for("line 9, and more.", &shown)) << shown;
    const std::vector<std::string> rows = t.screen();
    for (int r = 0; r < 12; ++r) {
        const std::string expected = shell_line(r + 1);
        if (r >= 2 && r <= 6) {
            // Columns 10 to 39 are the window's; the rest is the shell's.
            EXPECT_EQ(rows[r].substr(0, 9), expected.substr(0, 9)) << shown;
            EXPECT_EQ(rows[r].substr(39), expected.substr(39)) << shown;
        } else {
            EXPECT_EQ(rows[r], expected) << shown;
        }
    }
    EXPECT_NE(rows[6].find("line 9, and more."), std::string::npos) << shown;
    t.type("x");
    EXPECT_TRUE(t.wait_for_shell());
}

TEST_F(SharingTest, ABoxPutsBackThePrintedTextAndTheCursor) {
    start("box");
    std::string shown;
    ASSERT_TRUE(t.wait_for("Duración", &shown)) << shown;
    EXPECT_NE(shown.find("[ Aceptar ]"), std::string::npos) << shown;
    t.press({"Enter"});
    ASSERT_TRUE(t.wait_for("after the box", &shown)) << shown;
    const std::vector<std::string> rows = t.screen();
    for (int r = 0; r < 14; ++r) {
        char expected[80];
        std::snprintf(expected, sizeof expected, "printed row %2d: %s", r + 1, kRuler.substr(0, 40).c_str());
        EXPECT_EQ(rows[r], expected) << shown;
    }
    EXPECT_EQ(rows[14], "before the box: Tiempo empleado: 1 minutos y 1 segundos.") << shown;
    EXPECT_EQ(rows[15], "after the box") << shown;
    t.type("x");
    EXPECT_TRUE(t.wait_for_shell());
}

TEST_F(SharingTest, APromptShowsBeforeTheKeyIsRead) {
    start("prompt");
    std::string shown;
    ASSERT_TRUE(t.wait_for("¿Seguir (s/n)?", &shown)) << shown;
    t.type("s");
    ASSERT_TRUE(t.wait_for("¿Seguir (s/n)? key 115", &shown)) << shown;
    t.type("x");
    EXPECT_TRUE(t.wait_for_shell());
}

TEST_F(SharingTest, GetcheEchoesAfterThePrompt) {
    start("getche");
    std::string shown;
    ASSERT_TRUE(t.wait_for("prompt:", &shown)) << shown;
    t.type("s");
    ASSERT_TRUE(t.wait_for("echoed", &shown)) << shown;
    EXPECT_EQ(t.screen()[0], "prompt: s") << shown;
    t.type("x");
    EXPECT_TRUE(t.wait_for_shell());
}

// A key typed while the program is busy is echoed after the printed text;
// the console, reading it, leaves that text alone.
TEST_F(SharingTest, PrintedTextSurvivesAKeyTypedAhead) {
    start("typed-ahead " + t.path("pid"));
    std::string shown;
    ASSERT_TRUE(t.wait_for("printf text at (10,5)", &shown)) << shown;
    t.type("k");
    ASSERT_TRUE(t.wait_for("printf text at (10,5)k", &shown)) << shown;  // the terminal's echo
    let_go();
    ASSERT_TRUE(t.wait_for("read", &shown)) << shown;
    EXPECT_EQ(t.screen()[4].substr(0, 30), "         printf text at (10,5)") << shown;
    t.type("x");
    EXPECT_TRUE(t.wait_for_shell());
}

// Enter typed on the bottom row scrolls the terminal up a line: every line
// the console drew still shows once, where it drew it.
TEST_F(SharingTest, EnterTypedAheadOnTheBottomRowDuplicatesNoLine) {
    start("enter-typed-ahead " + t.path("pid"));
    std::string shown;
    ASSERT_TRUE(t.wait_for_cursor("0,24,1")) << t.screen_text();
    ASSERT_EQ(t.screen()[9].find("console text at (30,10)"), 29u) << t.screen_text();
    t.press({"Enter"});
    ASSERT_TRUE(t.wait_until(
        [&](const std::string&) { return t.screen()[8].find("console text at (30,10)") != std::string::npos; }, &shown))
        << "the echo scrolled the terminal\n"
        << shown;
    let_go();
    ASSERT_TRUE(t.wait_for("read", &shown)) << shown;
    const std::vector<std::string> rows = t.screen();
    EXPECT_EQ(rows_holding(rows, "console text at (30,10)"), 1) << shown;
    EXPECT_EQ(rows[9].find("console text at (30,10)"), 29u) << shown;
    t.type("x");
    EXPECT_TRUE(t.wait_for_shell());
}

TEST_F(SharingTest, TheFirstUseDuringACaptureDraws) {
    start("capture");
    std::string shown;
    ASSERT_TRUE(t.wait_for("Duración", &shown)) << shown;
    t.press({"Enter"});
    ASSERT_TRUE(t.wait_for("captured: Tiempo empleado: 1 minutos y 1 segundos.", &shown)) << shown;
    t.type("x");
    EXPECT_TRUE(t.wait_for_shell());
}

TEST_F(SharingTest, PrintfGoesWhereTheConsolePutTheCursorAndAClearClearsIt) {
    start("stdio");
    std::string shown;
    ASSERT_TRUE(t.wait_for("console text", &shown)) << shown;
    std::vector<std::string> rows = t.screen();
    EXPECT_EQ(rows[4], std::string(9, ' ') + "hola") << shown;
    t.type("x");
    ASSERT_TRUE(t.wait_for("printed over the console's screen", &shown)) << shown;
    t.type("x");
    ASSERT_TRUE(t.wait_for("cleared", &shown)) << shown;
    rows = t.screen();
    for (int r = 0; r < 25; ++r)
        EXPECT_EQ(rows[r], r == 7 ? std::string(12, ' ') + "cleared" : "") << "row " << r << "\n" << shown;
    t.type("x");
    EXPECT_TRUE(t.wait_for_shell());
}

TEST_F(SharingTest, LinesOnStandardErrorFollowEachOther) {
    start("stderr");
    std::string shown;
    ASSERT_TRUE(t.wait_for("done", &shown)) << shown;
    const std::vector<std::string> rows = t.screen();
    EXPECT_EQ(rows[0], "console first \"first text\"") << shown;
    EXPECT_EQ(rows[1], "\"second text\"") << shown;
    EXPECT_EQ(rows[2], "done") << shown;
    t.type("x");
    EXPECT_TRUE(t.wait_for_shell());
}

}  // namespace
}  // namespace versos::test
