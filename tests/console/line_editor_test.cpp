// The line editor on the console in memory, driven by queued keys, with the
// screen looked at while it waits for each key: the text, the cursor and its
// shape, and the warning boxes, shown once and taken away whole.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/console/console_fixture.h"
#include "tests/console/watched_console.h"

namespace versos::test {
namespace {

const std::string kLeft = "\xE0K", kRight = "\xE0M", kHome = "\xE0G", kInsert = "\xE0R";

// The box's title and texts as the console's code page holds them.
const std::string kTitle =
    "\xAD"
    "Atenci\xA2n!";
const std::string kNoPlaceLeft =
    "La cadena est\xA0 completa. No se pueden a\xA4"
    "adir m\xA0s caracteres.";
const std::string kFullForInsert1 = "La cadena est\xA0 completa. No se pueden incluir m\xA0s";
const std::string kFullForInsert2 = "caracteres con el modo de inserci\xA2n activado.";

class LineEditorTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        console::install_device(&watched);
    }
    bool box_at(std::size_t read) const { return watched.reads.at(read).row_holds(kTitle, 80); }
    int boxes_seen() const {
        int n = 0;
        for (std::size_t i = 0; i < watched.reads.size(); ++i) n += box_at(i);
        return n;
    }

    WatchedConsole watched{screen};
};

TEST_F(LineEditorTest, AOneByteBufferRefusesEveryCharacterWithOneWarning) {
    char buffer[1] = {'z'};
    screen.type_keys("a b\r");
    getsf_(buffer, 1);
    EXPECT_EQ(buffer[0], '\0');
    ASSERT_EQ(watched.reads.size(), 4u);  // a, the box's Space, b, Enter
    EXPECT_TRUE(box_at(1));
    EXPECT_TRUE(watched.reads[1].row_holds(kNoPlaceLeft, 80));
    EXPECT_EQ(watched.reads[1].mode, 0u);
    EXPECT_EQ(boxes_seen(), 1);
}

TEST_F(LineEditorTest, BackspaceHomeAndInsertOnAShortText) {
    char buffer[10] = "abc";
    gotoxy(5, 2);
    screen.type_keys("\b\b" + kHome + "x\r");
    getsf_(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "xa");
    EXPECT_EQ(watched.reads.at(0).cursor, (Point{7, 1}));  // after the c
    EXPECT_EQ(watched.reads.at(0).shape, (console::CursorShape{true, 100}));
    EXPECT_EQ(screen.row_text(1, 4, 7), "xa  ");
    EXPECT_EQ(screen.cursor(), (Point{5, 1}));
}

TEST_F(LineEditorTest, AFullTextWarnsOnceUntilAKeyIsCarriedOutAndTheBoxLeavesNoTrace) {
    fill_with_pattern();
    char buffer[10] = "123456789";
    gotoxy(3, 12);
    screen.type_keys(kHome + "x\x1by" + kLeft + "z\r\r");
    getsf_(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "123456789");
    // Reads: Home (two bytes), x, the box's Escape, y, Left (two bytes), z,
    // the box's Enter, Enter.
    ASSERT_EQ(watched.reads.size(), 10u);
    EXPECT_EQ(boxes_seen(), 2);
    ASSERT_TRUE(box_at(3));
    ASSERT_TRUE(box_at(8));
    EXPECT_TRUE(watched.reads[3].row_holds(kFullForInsert1, 80));
    EXPECT_TRUE(watched.reads[3].row_holds(kFullForInsert2, 80));
    // What the box covered, the cursor and its shape, as before it came.
    for (std::size_t before : {2u, 7u}) {
        const WatchedConsole::Seen& was = watched.reads[before];
        const WatchedConsole::Seen& after = watched.reads[before + 2];
        EXPECT_NE(watched.reads[before + 1].cells, was.cells);
        EXPECT_EQ(after.cells, was.cells) << "read " << before;
        EXPECT_EQ(after.cursor, was.cursor);
        EXPECT_EQ(after.cursor, (Point{2, 11}));
        EXPECT_EQ(after.shape, was.shape);
        EXPECT_EQ(after.mode, was.mode);
    }
}

TEST_F(LineEditorTest, OverwriteAppendsAtTheEndAndReplacesInTheMiddle) {
    char buffer[10] = "abc";
    screen.type_keys(kInsert + "d" + kHome + "X" + kRight + "Y\r");
    getsf_(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "XbYd");
    EXPECT_EQ(screen.row_text(0, 0, 4), "XbYd ");
    EXPECT_EQ(screen.cursor_shape(), (console::CursorShape{true, 10}));  // kept after Enter
    EXPECT_EQ(screen.cursor(), (Point{3, 0}));
}

TEST_F(LineEditorTest, RowsAreEightyColumnsAndNoKeysEndTheEditing) {
    char buffer[5] = "";
    gotoxy(79, 3);
    screen.type_keys("abcde ");     // e is refused: its box takes the Space
    getsf_(buffer, sizeof buffer);  // then no key comes: Enter
    EXPECT_STREQ(buffer, "abcd");
    ASSERT_EQ(watched.reads.size(), 7u);
    const Point expected[] = {{78, 2}, {79, 2}, {0, 3}, {1, 3}, {2, 3}};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(watched.reads[i].cursor, expected[i]) << i;
    EXPECT_TRUE(watched.reads[5].row_holds(kNoPlaceLeft, 80));
    EXPECT_EQ(screen.row_text(2, 78, 79) + screen.row_text(3, 0, 1), "abcd");
}

// Ó is 224 in code page 850, as the cursor keys' first byte: typed, it is a
// letter for the editor and for its message box, and eats no key.
TEST_F(LineEditorTest, TypedOAcuteIsALetter) {
    char buffer[3] = "";
    screen.type_character(0xE0);
    screen.type_keys(kHome + "xy");  // y is refused: a box
    screen.type_character(0xE0);     // not a key that closes it, nor a prefix
    screen.type_keys("\r\rz");
    getsf_(buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "x\xE0");
    EXPECT_EQ(screen.row_text(0, 0, 2), "x\xE0 ");
    EXPECT_EQ(boxes_seen(), 2);  // read twice in the box: Ó, then Enter
    EXPECT_EQ(screen.keys_waiting(), 1);
}

// On a screen of 40 x 10 the warning's rows break between words.
TEST_F(LineEditorTest, TheWarningBreaksBetweenWordsOnANarrowScreen) {
    MemoryConsole narrow({40, 10});
    WatchedConsole watched_narrow{narrow};
    console::install_device(&watched_narrow);
    char buffer[1] = "";
    narrow.type_keys("x\r\r");
    getsf_(buffer, sizeof buffer);
    ASSERT_EQ(watched_narrow.reads.size(), 3u);
    const WatchedConsole::Seen& box = watched_narrow.reads[1];
    EXPECT_TRUE(box.row_holds("\xBA La cadena est\xA0 completa. No se \xBA", 40));
    EXPECT_TRUE(
        box.row_holds("\xBA pueden a\xA4"
                      "adir m\xA0s caracteres.  \xBA",
                      40));
}

TEST_F(LineEditorTest, WithoutAConsoleTheWarningAndTheFinalTextGoOnceToStandardErrorAsUtf8) {
    screen.set_shows_output(false);
    char buffer[3] = "";
    // ñ and é in code page 850, one too many, Backspace, then a.
    screen.type_keys(
        "\xA4\x82x\b"
        "a\r");
    ::testing::internal::CaptureStderr();
    getsf_(buffer, sizeof buffer);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_STREQ(buffer,
                 "\xA4"
                 "a");
    EXPECT_EQ(err,
              "\xC2\xA1"
              "Atenci\xC3\xB3n!\nLa cadena est\xC3\xA1 completa. No se pueden a\xC3\xB1"
              "adir m\xC3\xA1s caracteres.\n"
              "\xC3\xB1"
              "a");
    EXPECT_EQ(screen.keys_waiting(), 0);
}

}  // namespace
}  // namespace versos::test
