// A random run of window calls against a plain model of the screen: rows of
// cells, a window, a cursor and two attributes, each call written in its
// plainest form (text one character at a time, lines as rows inserted and
// erased).
#include <random>
#include <string>
#include <vector>

#include "tests/console/console_fixture.h"

namespace versos::test {
namespace {

struct Model {
    std::vector<std::vector<Cell>> rows = std::vector<std::vector<Cell>>(25, std::vector<Cell>(80));
    int left = 1, top = 1, width = 80, height = 25, x = 1, y = 1;
    unsigned char text_attr = 0x0F, console_attr = 0x07;

    Cell& at(int wx, int wy) { return rows[top + wy - 2][left + wx - 2]; }
    std::vector<Cell> row(int wy) { return {&at(1, wy), &at(1, wy) + width}; }
    void set_row(int wy, const std::vector<Cell>& cells) { std::copy(cells.begin(), cells.end(), &at(1, wy)); }
    std::vector<Cell> blank_row() const { return std::vector<Cell>(width, Cell{' ', text_attr}); }

    void erase_row(int wy) {
        for (int r = wy; r < height; ++r) set_row(r, row(r + 1));
        set_row(height, blank_row());
    }
    void insert_row(int wy) {
        for (int r = height; r > wy; --r) set_row(r, row(r - 1));
        set_row(wy, blank_row());
    }
    void put(char c) {
        at(x, y) = {static_cast<unsigned char>(c), console_attr};
        if (++x <= width) return;
        x = 1;
        if (++y > height) {
            y = height;
            erase_row(1);
        }
    }
    void clear() {
        for (int r = 1; r <= height; ++r) set_row(r, blank_row());
    }
};

TEST_F(ConsoleTest, RandomCallsAgreeWithAPlainModel) {
    std::mt19937 rng(1017);
    auto below = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    Model model;
    for (int step = 0; step < 6000; ++step) {
        const int what = below(20);
        if (what == 0) {
            const int l = 1 + below(80), t = 1 + below(25);
            const int r = l + below(81 - l), b = t + below(26 - t);
            window(l, t, r, b);
            model.left = l;
            model.top = t;
            model.width = r - l + 1;
            model.height = b - t + 1;
            model.x = model.y = 1;
            model.clear();
        } else if (what <= 3) {
            const int gx = below(model.width + 2), gy = below(model.height + 2);
            gotoxy(gx, gy);
            if (gx >= 1 && gx <= model.width && gy >= 1 && gy <= model.height) {
                model.x = gx;
                model.y = gy;
            }
        } else if (what <= 9) {
            std::string text;
            // Now and then any byte but NUL: control bytes are cells too.
            for (int n = below(what == 4 ? 200 : 30); n > 0; --n) {
                text += static_cast<char>(below(5) ? 'a' + below(26) : 1 + below(255));
            }
            ASSERT_EQ(what == 5 ? cprintf("%s", text.c_str()) : cputs(text.c_str()), static_cast<int>(text.size()));
            for (char c : text) model.put(c);
        } else if (what <= 11) {
            const char c = static_cast<char>('A' + below(26));
            putch_(c);
            model.put(c);
        } else if (what == 12) {
            insline();
            model.insert_row(model.y);
            model.x = 1;
        } else if (what == 13) {
            delline();
            model.erase_row(model.y);
            model.x = 1;
        } else if (what == 14) {
            clreol();
            for (int cx = model.x; cx <= model.width; ++cx) model.at(cx, model.y) = {' ', model.text_attr};
        } else if (what == 15) {
            clrscr();
            model.clear();
        } else if (what == 16) {
            const int a = below(256);
            textattr(a);
            model.text_attr = model.console_attr = static_cast<unsigned char>(a);
        } else if (what == 17) {
            const int c = below(16);
            textcolor(c);
            model.text_attr = model.console_attr = static_cast<unsigned char>(c | (model.console_attr & 0xF0));
        } else if (what == 18) {
            const int c = below(16);
            textbackground(c);
            model.text_attr = model.console_attr = static_cast<unsigned char>(c << 4 | (model.console_attr & 0x0F));
        } else {
            const bool high = below(2);
            high ? highvideo() : lowvideo();
            model.text_attr = static_cast<unsigned char>(high ? model.text_attr | 0x08 : model.text_attr & ~0x08);
            model.console_attr = model.text_attr;
        }
        std::vector<Cell> expected;
        for (const auto& r : model.rows) expected.insert(expected.end(), r.begin(), r.end());
        ASSERT_EQ(all_cells(), expected) << "step " << step << ", call " << what;
        ASSERT_EQ(screen.attribute(), model.console_attr) << "step " << step;
        ASSERT_EQ(vActual.text_attr, model.text_attr) << "step " << step;
        ASSERT_EQ(wherex(), model.x) << "step " << step;
        ASSERT_EQ(wherey(), model.y) << "step " << step;
        // The console cursor always shows where the next character goes.
        ASSERT_EQ(screen.cursor(), (Point{model.left + model.x - 2, model.top + model.y - 2})) << "step " << step;
    }
}

}  // namespace
}  // namespace versos::test
