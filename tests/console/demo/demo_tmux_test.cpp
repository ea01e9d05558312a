// consola-demo as a person uses it, in tmux: the line editor in insert and
// overwrite mode with accented letters, its warning box shown once until a
// key is carried out and the text under it put back, the elapsed-time box
// shown while standard output is captured, and the terminal as it was after
// the demo ends and after it is killed while a box waits.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <string>

#include "tests/console/demo/tmux_terminal.h"
#include "tests/support/files.h"
#include "tests/support/process.h"

namespace versos::test {
namespace {

const std::string kDemo = CONSOLA_DEMO;
const std::string kNoPlaceLeft = "La cadena está completa. No se pueden añadir más caracteres.";
const std::string kFullForInsert1 = "La cadena está completa. No se pueden incluir más";
const std::string kFullForInsert2 = "caracteres con el modo de inserción activado.";
const std::string kUnderASecond = "El tiempo empleado ha sido inferior a un segundo.";

// mensajeTiempo_'s message, as a line on the screen: under a second, or
// "Tiempo empleado: " and seconds, or minutes and seconds.
bool elapsed_time_line(const std::string& row) {
    return row == kUnderASecond ||
           (row.rfind("Tiempo empleado: ", 0) == 0 && row.back() == '.' && row.find("segundo") != std::string::npos);
}

// The editing field's row, from the field's first column on, without the
// blanks that end it.
std::string field(TmuxTerminal& t) {
    std::string row = t.screen()[13];
    const std::size_t at = row.find("Text: ");
    if (at == std::string::npos) return "(no field)";
    row = row.substr(at + 6);
    return row.substr(0, row.find_last_not_of(' ') + 1);
}

bool field_is(TmuxTerminal& t, const std::string& text) {
    return t.wait_until([&](const std::string&) { return field(t) == text; });
}

class DemoTest : public ::testing::Test {
protected:
    // Starts the demo from the shell, with the terminal's mode written down
    // first, and takes it past its first box.
    void start_demo() {
        t.run("stty -g > " + t.path("before") + "; clear");
        t.run("sh -c 'echo $$ > " + t.path("pid") + "; exec " + kDemo + "'");
        ASSERT_TRUE(t.wait_for("Press a key to restore."));
        t.type("x");
        ASSERT_TRUE(field_is(t, "año"));  // code page 850 bytes, shown as the letters
    }
    // The shell reads and echoes a line again, in the mode it had, with the
    // cursor shown.
    void expect_terminal_usable() {
        ASSERT_TRUE(t.wait_for_shell()) << t.screen_text();
        t.run("stty -g > " + t.path("after") + "; cmp -s " + t.path("before") + " " + t.path("after") +
              " && echo mode-$((6*7))");
        std::string shown;
        EXPECT_TRUE(t.wait_for("\nmode-42", &shown)) << shown;
        EXPECT_NE(shown.find("&& echo mode-$((6*7))"), std::string::npos) << shown;  // echoed as typed
        EXPECT_EQ(t.cursor().substr(t.cursor().size() - 2), ",1");
    }

    TmuxTerminal t;
};

TEST_F(DemoTest, EditingWarningsCaptureAndExit) {
    start_demo();
    t.type("éñ");
    ASSERT_TRUE(field_is(t, "añoéñ"));
    t.press({"Left", "Left", "BSpace"});
    ASSERT_TRUE(field_is(t, "añéñ"));
    EXPECT_TRUE(t.wait_for_cursor("49,13,1"));  // after the second letter: the field starts at column 47

    t.press({"IC"});  // overwrite
    t.type("X");
    ASSERT_TRUE(field_is(t, "añXñ"));
    t.press({"Home"});
    t.type("Z");
    t.press({"End"});
    t.type("12");
    ASSERT_TRUE(field_is(t, "ZñXñ12"));

    t.press({"IC", "Home", "Right", "Right"});  // insert again
    t.type("1234567");
    ASSERT_TRUE(field_is(t, "Zñ1234567Xñ12"));
    t.type("ab");
    ASSERT_TRUE(field_is(t, "Zñ1234567abXñ12"));  // 15: full
    const std::string before_box = t.screen_text();

    t.type("q");  // refused: the box
    std::string shown;
    ASSERT_TRUE(t.wait_for(kFullForInsert2, &shown)) << shown;
    EXPECT_NE(shown.find("¡Atención!"), std::string::npos);
    EXPECT_NE(shown.find(kFullForInsert1), std::string::npos);
    t.type("w");  // not one of the box's keys
    t.press({"Escape"});
    EXPECT_TRUE(t.wait_until([&](const std::string& s) { return s == before_box; }, &shown))
        << "the text under the box:\n"
        << shown;
    // Refused again, without a box: End and Backspace are carried out at once.
    t.type("q");
    t.press({"End", "BSpace"});
    ASSERT_TRUE(field_is(t, "Zñ1234567abXñ1")) << t.screen_text();
    t.type("?");
    ASSERT_TRUE(field_is(t, "Zñ1234567abXñ1?"));
    t.type("!");  // on the last place: the other box, shown again after a key was carried out
    ASSERT_TRUE(t.wait_for(kNoPlaceLeft, &shown)) << shown;
    t.type(" ");
    t.press({"Enter"});

    // The elapsed time in a box on the terminal, while what the demo prints
    // is captured: the capture holds only its text.
    ASSERT_TRUE(t.wait_for("Duración", &shown)) << shown;
    EXPECT_TRUE(shown.find("Tiempo empleado: ") != std::string::npos || shown.find(kUnderASecond) != std::string::npos)
        << shown;
    t.press({"Enter"});
    ASSERT_TRUE(t.wait_for("Captured output:", &shown)) << shown;
    EXPECT_NE(shown.find("Typed: [Zñ1234567abXñ1?]"), std::string::npos) << shown;
    std::vector<std::string> rows = t.screen();
    EXPECT_EQ(rows[22], " Printed while captured.");
    EXPECT_TRUE(elapsed_time_line(rows[23].substr(1))) << rows[23];
    EXPECT_EQ(rows[24], "");

    t.press({"Escape"});
    expect_terminal_usable();
}

TEST_F(DemoTest, KilledWhileABoxWaitsTheTerminalIsAsItWas) {
    start_demo();
    t.type("123456789012");
    ASSERT_TRUE(field_is(t, "año123456789012"));
    t.type("3");
    std::string shown;
    ASSERT_TRUE(t.wait_for(kNoPlaceLeft, &shown)) << shown;
    const int pid = std::atoi(testing::read_file(t.path("pid")).value_or("").c_str());
    ASSERT_GT(pid, 0);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    expect_terminal_usable();
}

}  // namespace
}  // namespace versos::test
