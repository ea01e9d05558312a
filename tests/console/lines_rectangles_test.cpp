// Lines cleared, inserted and deleted; rectangles moved, read and written.
#include <cstring>
#include <vector>

#include "tests/console/console_fixture.h"

namespace versos::test {
namespace {

// A 20 x 5 window at column 11, row 6 over a patterned screen, each window
// row filled with its own digit in its own attribute.
class SubWindowTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        fill_with_pattern();
        window(11, 6, 30, 10);
        std::vector<Cell> rows(20 * 5);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i] = {static_cast<unsigned char>('1' + i / 20), static_cast<unsigned char>(0x10 + i / 20)};
        }
        EXPECT_EQ(puttext(1, 1, 20, 5, rows.data()), 1);
        textattr(0x3B);
        before = all_cells();
    }
    Cell& in_window(std::vector<Cell>& cells, int x, int y) { return cells[(5 + y - 1) * 80 + 10 + x - 1]; }
    // `cells` with window row `to` taking what window row `from` has in
    // `source` (0: a blank row in text_attr).
    void set_row(std::vector<Cell>& cells, int to, int from, std::vector<Cell>& source) {
        for (int x = 1; x <= 20; ++x) in_window(cells, x, to) = from ? in_window(source, x, from) : Cell{' ', 0x3B};
    }

    std::vector<Cell> before;
};

TEST_F(SubWindowTest, InsertAndDeleteLinesStayInTheWindow) {
    gotoxy(7, 2);
    insline();
    expect_cursor(1, 2, {10, 6});
    std::vector<Cell> expected = before;
    set_row(expected, 2, 0, before);
    set_row(expected, 3, 2, before);
    set_row(expected, 4, 3, before);
    set_row(expected, 5, 4, before);
    EXPECT_EQ(all_cells(), expected);

    gotoxy(9, 2);
    delline();
    expect_cursor(1, 2, {10, 6});
    set_row(expected, 2, 3, expected);
    set_row(expected, 3, 4, expected);
    set_row(expected, 4, 5, expected);
    set_row(expected, 5, 0, expected);
    EXPECT_EQ(all_cells(), expected);
    EXPECT_EQ(screen.row_text(6, 10, 29), std::string(20, '2'));

    gotoxy(1, 4);
    insline();
    set_row(expected, 5, 4, expected);
    set_row(expected, 4, 0, expected);
    EXPECT_EQ(all_cells(), expected);
    // On the bottom row there is nothing to move up: the row is blanked.
    gotoxy(4, 5);
    delline();
    set_row(expected, 5, 0, expected);
    EXPECT_EQ(all_cells(), expected);
    expect_cursor(1, 5, {10, 9});

    // clreol blanks from the cursor to the window's edge and nothing beyond.
    gotoxy(15, 1);
    clreol();
    for (int x = 15; x <= 20; ++x) in_window(expected, x, 1) = {' ', 0x3B};
    EXPECT_EQ(all_cells(), expected);
    expect_cursor(15, 1, {24, 5});
}

// Overlapping moves copy the source as it was; source cells left uncovered
// are blanked in text_attr; coordinates are the window's.
TEST_F(SubWindowTest, MovetextOverlappingEitherWay) {
    struct Move {
        int left, top, right, bottom, to_left, to_top;
    };
    for (Move m : {Move{2, 1, 12, 3, 5, 2}, Move{5, 2, 15, 4, 2, 1}, Move{1, 1, 20, 4, 1, 2}}) {
        screen.write_cells({0, 0, 79, 24}, before.data());
        EXPECT_EQ(movetext(m.left, m.top, m.right, m.bottom, m.to_left, m.to_top), 0);
        std::vector<Cell> expected = before;
        const int dx = m.to_left - m.left, dy = m.to_top - m.top;
        for (int y = 1; y <= 5; ++y) {
            for (int x = 1; x <= 20; ++x) {
                const bool in_target = x >= m.to_left && x <= m.right + dx && y >= m.to_top && y <= m.bottom + dy;
                const bool in_source = x >= m.left && x <= m.right && y >= m.top && y <= m.bottom;
                if (in_target) {
                    in_window(expected, x, y) = in_window(before, x - dx, y - dy);
                } else if (in_source) {
                    in_window(expected, x, y) = {' ', 0x3B};
                }
            }
        }
        EXPECT_EQ(all_cells(), expected) << m.left << "," << m.top << " to " << m.to_left << "," << m.to_top;
    }
}

TEST_F(ConsoleTest, RectanglesReadAndWrittenPartlyOffTheScreen) {
    fill_with_pattern();
    // Columns 75..84 of rows 24..25: the last 6 columns are off the screen
    // and stay as they were in the buffer.
    unsigned char cells[2 * 10 * 2];
    std::memset(cells, 0xAB, sizeof cells);
    EXPECT_EQ(gettext_(75, 24, 84, 25, cells), 1);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 10; ++x) {
            const unsigned char* cell = cells + 2 * (y * 10 + x);
            const Cell expected = x < 6 ? screen.at(74 + x, 23 + y) : Cell{0xAB, 0xAB};
            EXPECT_EQ((Cell{cell[0], cell[1]}), expected) << x << "," << y;
        }
    }
    std::memset(cells, 0xCD, sizeof cells);
    EXPECT_EQ(gettext_(81, 1, 90, 1, cells), 0);
    EXPECT_EQ(gettext_(5, 1, 4, 1, cells), 0);
    EXPECT_EQ(cells[0], 0xCD);

    // The cells put where they were read from, shifted one column left.
    EXPECT_EQ(gettext_(75, 24, 84, 25, cells), 1);
    const Cell read_first = screen.at(74, 24);
    EXPECT_EQ(puttext(74, 24, 83, 25, cells), 1);
    EXPECT_EQ(screen.at(73, 24), read_first);
    EXPECT_EQ(screen.at(79, 24), (Cell{0xCD, 0xCD}));
    EXPECT_EQ(puttext(81, 1, 81, 1, cells), 0);
}

// Rows wider than the pieces the routines pass through.
TEST(WideConsole, RectanglesOfManyCellsRoundTrip) {
    MemoryConsole wide({300, 3});
    console::install_device(&wide);
    vActual = kStartInfo;
    std::vector<unsigned char> put(2 * 300 * 2), got(put.size());
    for (std::size_t i = 0; i < put.size(); ++i) put[i] = static_cast<unsigned char>(i * 7 + i / 256);
    EXPECT_EQ(puttext(1, 2, 300, 3, put.data()), 1);
    EXPECT_EQ(wide.at(299, 2), (Cell{put[put.size() - 2], put.back()}));
    EXPECT_EQ(wide.at(128, 1), (Cell{put[2 * 128], put[2 * 128 + 1]}));
    EXPECT_EQ(gettext_(1, 2, 300, 3, got.data()), 1);
    EXPECT_EQ(got, put);
    console::install_device(nullptr);
}

}  // namespace
}  // namespace versos::test
