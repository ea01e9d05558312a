// Each test starts on a fresh 80 x 25 console in memory with vActual as a
// program starts with it.
#pragma once

#include <versos/consola.h>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "tests/support/memory_console.h"

namespace versos::console {

inline void PrintTo(Cell c, std::ostream* os) { *os << "'" << c.ch << "'/0x" << std::hex << int{c.attr} << std::dec; }
inline void PrintTo(Point p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

}  // namespace versos::console

namespace versos::test {

using console::Cell;
using console::MemoryConsole;
using console::Point;
using console::Rect;

inline constexpr TextInfo kStartInfo = {0, 0, 79, 24, 0x0F, 0x0F, 3, 25, 80, 1, 1};

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        vActual = kStartInfo;
        console::install_device(&screen);
    }
    void TearDown() override { console::install_device(nullptr); }

    // Every cell of the screen, row by row.
    std::vector<Cell> all_cells() const {
        const console::Size size = screen.size();
        std::vector<Cell> cells(static_cast<std::size_t>(size.columns * size.rows));
        screen.read_cells({0, 0, size.columns - 1, size.rows - 1}, cells.data());
        return cells;
    }
    // Distinct content everywhere: a letter and an attribute from the cell's
    // place.
    void fill_with_pattern() {
        std::vector<Cell> cells = all_cells();
        for (std::size_t i = 0; i < cells.size(); ++i) {
            cells[i] = {static_cast<unsigned char>('A' + i % 26), static_cast<unsigned char>(0x40 + i % 7)};
        }
        screen.write_cells({0, 0, 79, 24}, cells.data());
    }
    void expect_cursor(int x, int y, Point on_screen) const {
        EXPECT_EQ(wherex(), x);
        EXPECT_EQ(wherey(), y);
        EXPECT_EQ(screen.cursor(), on_screen);
    }

    MemoryConsole screen;
};

}  // namespace versos::test
