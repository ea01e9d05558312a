// Attributes, the cursor's shape, and the keyboard.
#include <time.h>

#include <string>

#include "tests/console/console_fixture.h"

namespace versos::test {
namespace {

TEST_F(ConsoleTest, ColoursGoOverTheConsolesAttribute) {
    textattr(0x1F);
    EXPECT_EQ(textcolor(4), 0x14);
    EXPECT_EQ(screen.attribute(), 0x14);
    EXPECT_EQ(vActual.text_attr, 0x14);
    textattr(0x1F);
    textbackground(2);
    EXPECT_EQ(screen.attribute(), 0x2F);
    EXPECT_EQ(vActual.text_attr, 0x2F);

    // The console's attribute, not text_attr, gives the other half.
    screen.set_attribute(0x30);
    vActual.text_attr = 0x0F;
    EXPECT_EQ(textcolor(4), 0x34);

    textattr(0x07);
    highvideo();
    EXPECT_EQ(vActual.text_attr, 0x0F);
    EXPECT_EQ(screen.attribute(), 0x0F);
    lowvideo();
    EXPECT_EQ(vActual.text_attr, 0x07);
    EXPECT_EQ(screen.attribute(), 0x07);
    vActual.normal_attr = 0x5A;
    normvideo();
    EXPECT_EQ(screen.attribute(), 0x5A);
    putch_('n');
    EXPECT_EQ(screen.at(0, 0), (Cell{'n', 0x5A}));
    textmode();
    EXPECT_EQ(vActual.text_mode, 3);
}

TEST_F(ConsoleTest, CursorShapes) {
    using console::CursorShape;
    _setcursortype(1);
    EXPECT_EQ(screen.cursor_shape(), (CursorShape{true, 100}));
    _setcursortype(2);
    EXPECT_EQ(screen.cursor_shape(), (CursorShape{true, 10}));
    _setcursortype(0);
    EXPECT_FALSE(screen.cursor_shape().visible);
    _setcursortype(1);
    for (int other : {3, -1, 100}) {
        _setcursortype(other);
        EXPECT_EQ(screen.cursor_shape(), (CursorShape{true, 100})) << other;
    }
}

TEST_F(ConsoleTest, PushedBackKeysComeFirstAndWaitUnconsumed) {
    EXPECT_EQ(kbhit_(), 0);
    screen.type_keys("xy\xff");
    EXPECT_EQ(ungetch('a'), 'a');
    EXPECT_EQ(kbhit_(), 1);
    EXPECT_EQ(kbhit_(), 1);
    screen.set_input_mode(0x7);
    EXPECT_EQ(getch_(), 'a');
    EXPECT_EQ(screen.input_mode(), 0x7u);
    EXPECT_EQ(getch_(), 'x');
    EXPECT_EQ(getch_(), 'y');
    EXPECT_EQ(getch_(), 0xFF);
    EXPECT_EQ(kbhit_(), 0);

    // getche_ echoes where the console cursor is; the tracked cursor stays.
    screen.type_keys("e");
    gotoxy_(10, 10);
    EXPECT_EQ(getche_(), 'e');
    EXPECT_EQ(screen.at(10, 10).ch, 'e');
    expect_cursor(1, 1, {11, 10});
}

// A loop that does nothing but poll sleeps in the device, which a key ends
// at once; a loop with a delay of its own is never made to wait.
TEST_F(ConsoleTest, KbhitSleepsOnlyInALoopThatDoesNothingElse) {
    for (int i = 0; i < 100; ++i) ASSERT_EQ(kbhit_(), 0);
    EXPECT_GT(screen.waits(), 0);
    const int waits = screen.waits();
    const timespec two_ms{0, 2'000'000};
    for (int i = 0; i < 3; ++i) {
        nanosleep(&two_ms, nullptr);
        EXPECT_EQ(kbhit_(), 0);
    }
    EXPECT_EQ(screen.waits(), waits);
    screen.type_keys("k");
    EXPECT_EQ(kbhit_(), 1);
    EXPECT_EQ(kbhit_(), 1);
    EXPECT_EQ(screen.waits(), waits);
}

TEST_F(ConsoleTest, CgetsStopsAtItsMaximumOrEnter) {
    char buffer[3 + 200] = {3};
    screen.type_keys("abcd");
    EXPECT_EQ(cgets(buffer), buffer + 2);
    EXPECT_EQ(buffer[1], 3);
    EXPECT_STREQ(buffer + 2, "abc");
    EXPECT_EQ(screen.row_text(0, 0, 3), "abc ");
    expect_cursor(4, 1, {3, 0});
    EXPECT_EQ(screen.keys_waiting(), 1);
    EXPECT_EQ(getch_(), 'd');

    // Enter ends the text and is not kept; Backspace is a byte like others.
    buffer[0] = 10;
    screen.type_keys("a\bc\rz");
    EXPECT_STREQ(cgets(buffer), "a\bc");
    EXPECT_EQ(buffer[1], 3);
    EXPECT_EQ(getch_(), 'z');

    // A maximum above 127 is a count, not a negative byte.
    buffer[0] = static_cast<char>(200);
    screen.type_keys(std::string(150, 'k') + "\r");
    EXPECT_EQ(std::string(cgets(buffer)), std::string(150, 'k'));
    EXPECT_EQ(static_cast<unsigned char>(buffer[1]), 150);
    buffer[0] = static_cast<char>(200);
    screen.type_keys(std::string(210, 'm'));
    EXPECT_EQ(std::string(cgets(buffer)), std::string(200, 'm'));
    EXPECT_EQ(static_cast<unsigned char>(buffer[1]), 200);
    EXPECT_EQ(screen.keys_waiting(), 10);
}

TEST_F(ConsoleTest, GetpassKeepsEightUnechoed) {
    screen.type_keys("secret12345\r");
    const char* got = versos::getpass("Clave: ");
    EXPECT_STREQ(got, "secret12");
    EXPECT_EQ(screen.row_text(0, 0, 15), "Clave:          ");
    expect_cursor(8, 1, {7, 0});
    EXPECT_EQ(screen.keys_waiting(), 4);
    EXPECT_EQ(versos::getpass(""), got);
    EXPECT_STREQ(got, "345");
    screen.type_keys("ab\r");
    versos::getpass("");
    EXPECT_STREQ(got, "ab");
}

// Without a terminal nothing waits and nothing is shown; the window is still
// kept.
TEST_F(ConsoleTest, WithoutATerminal) {
    fill_with_pattern();
    const std::vector<Cell> before = all_cells();
    screen.type_keys("typed");
    screen.set_reads_keys(false);
    screen.set_shows_output(false);

    EXPECT_EQ(kbhit_(), 0);
    EXPECT_EQ(ungetch('u'), -1);
    EXPECT_EQ(getch_(), 13);
    char buffer[3 + 5] = {5};
    EXPECT_STREQ(cgets(buffer), "");
    EXPECT_EQ(buffer[1], 0);
    EXPECT_STREQ(versos::getpass("prompt"), "");

    EXPECT_EQ(cputs("hello"), 5);
    clrscr();
    insline();
    movetext(1, 1, 10, 10, 3, 3);
    char cells[2 * 4] = {};
    EXPECT_EQ(gettext_(1, 1, 2, 2, cells), 0);
    EXPECT_EQ(puttext(1, 1, 2, 2, cells), 0);
    expect_cursor(1, 1, {0, 0});
    window(2, 2, 10, 10);
    EXPECT_EQ(wherex(), 1);
    EXPECT_EQ(vActual.window_width, 9);

    screen.set_shows_output(true);
    EXPECT_EQ(all_cells(), before);
}

}  // namespace
}  // namespace versos::test
