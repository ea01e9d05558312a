// The window, the cursor, and text written with wrapping and scrolling.
#include <cstring>
#include <functional>
#include <string>

#include "tests/console/console_fixture.h"

namespace versos::test {
namespace {

// vActual as the program found it, before any test set it.
const TextInfo seen_at_start = vActual;

TEST_F(ConsoleTest, StartWindowAndCursorBounds) {
    const unsigned char start[11] = {0, 0, 79, 24, 0x0F, 0x0F, 3, 25, 80, 1, 1};
    EXPECT_EQ(std::memcmp(&seen_at_start, start, sizeof start), 0);
    TextInfo copy{};
    gettextinfo(&copy);
    EXPECT_EQ(std::memcmp(&copy, start, sizeof start), 0);

    gotoxy(7, 3);
    for (auto [x, y] : {std::pair{0, 1}, {81, 1}, {1, 26}, {1, 0}}) {
        gotoxy(x, y);
        expect_cursor(7, 3, {6, 2});
    }
    gotoxy(80, 25);
    expect_cursor(80, 25, {79, 24});

    // gotoxy_ places the console cursor on a screen cell and nothing else.
    gotoxy_(3, 4);
    expect_cursor(80, 25, {3, 4});
}

TEST_F(ConsoleTest, SubWindowClearsItselfOnlyAndMapsItsCoordinates) {
    fill_with_pattern();
    std::vector<Cell> expected = all_cells();
    window(11, 6, 30, 10);
    const unsigned char fields[11] = {10, 5, 29, 9, 0x0F, 0x0F, 3, 5, 20, 1, 1};
    EXPECT_EQ(std::memcmp(&vActual, fields, sizeof fields), 0);
    for (int y = 5; y <= 9; ++y) {
        for (int x = 10; x <= 29; ++x) expected[y * 80 + x] = {' ', 0x0F};
    }
    EXPECT_EQ(all_cells(), expected);
    expect_cursor(1, 1, {10, 5});

    gotoxy(21, 1);
    gotoxy(1, 6);
    expect_cursor(1, 1, {10, 5});
    gotoxy(20, 5);
    expect_cursor(20, 5, {29, 9});

    // clrscr clears but leaves the cursor where it was.
    textattr(0x2E);
    clrscr();
    expect_cursor(20, 5, {29, 9});
    EXPECT_EQ(screen.at(10, 5), (Cell{' ', 0x2E}));
    EXPECT_EQ(screen.at(29, 9), (Cell{' ', 0x2E}));
    EXPECT_EQ(screen.at(30, 9), expected[9 * 80 + 30]);
}

// The last cell gets the character in the console's attribute (0x07 on a
// fresh console); the window then scrolls, blanking its bottom row in
// text_attr.
TEST_F(ConsoleTest, PutchOnTheLastCellScrollsTheWindow) {
    fill_with_pattern();
    const std::vector<Cell> before = all_cells();
    gotoxy(80, 25);
    EXPECT_EQ(putch_(0x5A + 0x100), 0);  // only the low byte counts
    expect_cursor(1, 25, {0, 24});
    std::vector<Cell> expected(before.begin() + 80, before.end());
    expected[23 * 80 + 79] = {'Z', 0x07};
    expected.insert(expected.end(), 80, Cell{' ', 0x0F});
    EXPECT_EQ(all_cells(), expected);
}

TEST_F(ConsoleTest, CputsWrapsAtTheWindowEdge) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += static_cast<char>('a' + i % 26);
    EXPECT_EQ(cputs(text.c_str()), 100);
    EXPECT_EQ(screen.row_text(0), text.substr(0, 80));
    EXPECT_EQ(screen.row_text(1, 0, 19), text.substr(80));
    EXPECT_EQ(screen.at(20, 1), (Cell{' ', 0x07}));
    expect_cursor(21, 2, {20, 1});

    // Control bytes are cells like any other; the cursor does not follow them.
    EXPECT_EQ(cputs("\n\r\a\b"), 4);
    EXPECT_EQ(screen.row_text(1, 20, 23), "\n\r\a\b");
    expect_cursor(25, 2, {24, 1});
}

TEST_F(ConsoleTest, CprintfWritesALongTextWhole) {
    EXPECT_EQ(cprintf("%d-%s", 7, "x"), 3);
    gotoxy(1, 1);
    std::string long_text;
    for (int i = 0; i < 1500; ++i) long_text += static_cast<char>('0' + i % 10);
    EXPECT_EQ(cprintf("%s%d", long_text.c_str(), 42), 1502);
    long_text += "42";
    std::string shown;
    for (int y = 0; y < 19; ++y) shown += screen.row_text(y);
    EXPECT_EQ(shown.substr(0, 1502), long_text);
    EXPECT_EQ(shown.substr(1502), std::string(18, ' '));
    expect_cursor(63, 19, {62, 18});
}

// The terminal sends one write when the outermost batch ends: every call
// that draws must make all its device operations inside one batch.
TEST_F(ConsoleTest, EveryDrawingCallIsOneBatch) {
    std::string long_text(300, 'q');
    char cells[2 * 6] = {};
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"window", [] { window(3, 4, 40, 12); }},
        {"gotoxy", [] { gotoxy(30, 9); }},
        {"gotoxy_", [] { gotoxy_(5, 5); }},
        {"clrscr", [] { clrscr(); }},
        {"clreol", [] { clreol(); }},
        {"insline", [] { insline(); }},
        {"delline", [] { delline(); }},
        {"movetext", [] { movetext(1, 1, 10, 5, 3, 2); }},
        {"gettext_", [&] { gettext_(1, 1, 3, 2, cells); }},
        {"puttext", [&] { puttext(2, 2, 4, 3, cells); }},
        {"putch_", [] { putch_('p'); }},
        {"cputs", [&] { cputs(long_text.c_str()); }},
        {"cprintf", [&] { cprintf("%s", long_text.c_str()); }},
        {"textattr", [] { textattr(0x1E); }},
        {"textcolor", [] { textcolor(3); }},
        {"textbackground", [] { textbackground(4); }},
        {"highvideo", [] { highvideo(); }},
        {"lowvideo", [] { lowvideo(); }},
        {"normvideo", [] { normvideo(); }},
        {"_setcursortype", [] { _setcursortype(2); }},
    };
    for (const auto& [name, call] : calls) {
        const int batches = screen.outermost_batches();
        call();
        EXPECT_EQ(screen.outermost_batches() - batches, 1) << name;
        EXPECT_EQ(screen.operations_outside_batches(), 0) << name;
    }
    screen.type_keys("k");
    const int batches = screen.outermost_batches();
    EXPECT_EQ(getche_(), 'k');
    EXPECT_EQ(screen.outermost_batches() - batches, 1);
    EXPECT_EQ(screen.operations_outside_batches(), 0);
}

}  // namespace
}  // namespace versos::test
