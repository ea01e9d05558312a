// The terminal device's output fed to a terminal emulator (libvterm): after
// random sequences of device operations, the emulator's cells, colours and
// cursor must be the device's kept cells where the console drew, and what
// other output left everywhere else.
#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include <versos/consola.h>

#include "lib/console/message_box.h"
#include "lib/console/terminal/terminal_device.h"
#include "tests/console/terminal/emulator_rig.h"
#include "tests/support/process.h"

namespace versos::console {
namespace {

using testing::Operations;
using testing::Rig;

struct Terminal {
    Size size;
    TerminalKind kind;
};

TEST(TerminalDeviceOnEmulator, ShowsTheKeptCellsAfterRandomOperations) {
    const Terminal terminals[] = {
        {{80, 25}, TerminalKind::kAnsi},         {{80, 24}, TerminalKind::kAnsi},
        {{100, 30}, TerminalKind::kAnsi},        {{60, 20}, TerminalKind::kAnsi},
        {{80, 25}, TerminalKind::kLinuxConsole}, {{90, 28}, TerminalKind::kLinuxConsole},
    };
    for (const Terminal& t : terminals) {
        for (unsigned seed = 1; seed <= 4; ++seed) {
            std::mt19937 random(seed * 7919 + static_cast<unsigned>(t.size.columns));
            Rig rig(t.size, t.kind);
            rig.scribble(random);
            Operations ops(rig, random);
            // Half the runs start with the console's own screen, half with
            // the other program's text wherever the console has not drawn.
            Size s = rig.device().size();
            if (seed % 2 == 1) rig.device().fill(Point{0, 0}, s.columns * s.rows, ops.any_cell());
            std::string where = std::to_string(t.size.columns) + "x" + std::to_string(t.size.rows) +
                                (t.kind == TerminalKind::kLinuxConsole ? " linux" : "") + " seed " +
                                std::to_string(seed);
            rig.expect_shown(where + " first fill");
            std::string log;
            for (int step = 0; step < 400 && !::testing::Test::HasFailure(); ++step) {
                if (step % 97 == 96) {
                    // Stopped and continued: others drew meanwhile.
                    rig.scribble(random);
                    rig.device().forget_screen();
                    rig.device().begin_batch();
                    rig.device().end_batch();
                    log += "\n  forgotten";
                } else {
                    log += "\n  " + ops.one();
                }
                rig.expect_shown(where + " step " + std::to_string(step) +
                                 log.substr(log.size() > 600 ? log.size() - 600 : 0));
            }
        }
    }
}

// The least output: nothing for what is already shown, a few bytes for a
// scroll of the whole screen, one erase for a cleared screen.
TEST(TerminalDeviceOnEmulator, SendsLittle) {
    Rig rig(Size{80, 25}, TerminalKind::kAnsi);
    TerminalDevice& d = rig.device();
    d.set_attribute(0x1F);
    for (int row = 0; row < 25; ++row) {
        std::string text = "row " + std::to_string(row) + std::string(80, 'a' + row % 26);
        d.set_cursor(Point{0, row});
        d.write(text.data(), 80);
    }
    rig.expect_shown("screen full");
    d.set_cursor(Point{5, 3});
    rig.take_output();

    d.set_cursor(Point{5, 3});
    d.write_cells(Rect{0, 0, 2, 0}, std::vector<Cell>{{'r', 0x1F}, {'o', 0x1F}, {'w', 0x1F}}.data());
    EXPECT_EQ(rig.take_output(), "") << "nothing changed";

    d.write("xyz", 3);
    d.write("abc", 3);
    EXPECT_EQ(rig.take_output(), "xyzabc") << "the cursor was where it had to be";

    Cell blank{' ', 0x1F};
    d.scroll(Rect{0, 1, 79, 24}, nullptr, Point{0, 0}, blank);
    EXPECT_LT(rig.take_output().size(), 20u) << "the terminal scrolls itself";
    rig.expect_shown("scrolled up");
    d.scroll(Rect{0, 5, 79, 20}, nullptr, Point{0, 7}, blank);
    EXPECT_LT(rig.take_output().size(), 40u) << "lines inserted within the screen";
    rig.expect_shown("band scrolled down");

    d.fill(Point{0, 0}, 80 * 25, Cell{' ', 0x40});
    EXPECT_LT(rig.take_output().size(), 24u) << "one erase";
    rig.expect_shown("cleared");
}

// A narrow window scrolling (twice in some calls, and down at times) on
// rows the console cleared: the terminal's whole lines move (one DL for
// both scrolls of a call), so that little more than the new text is sent.
// In other backgrounds, beside other text, and beside text other output
// wrote there, the screen is right all the same.
TEST(TerminalDeviceOnEmulator, ANarrowWindowScrollsByWholeLines) {
    Rig rig(Size{80, 25}, TerminalKind::kAnsi);
    const TextInfo saved = vActual;
    install_device(&rig.device());
    textattr(0x07);
    clrscr();
    window(11, 6, 30, 10);
    rig.expect_shown("window");
    auto pieces = [&](int count, const std::string& context, bool two_backgrounds) {
        std::size_t bytes = 0;
        for (int i = 0; i < count && !::testing::Test::HasFailure(); ++i) {
            std::string piece;
            for (int k = 0; k < 37; ++k) piece += static_cast<char>('a' + (i * 37 + k) % 26);
            if (two_backgrounds) textattr(0x07 + 0x10 * (i / 10 % 2));
            cputs(piece.c_str());
            if (i % 9 == 8) {
                gotoxy(1, 2);
                insline();  // and one down
            }
            bytes += rig.take_output().size();
            rig.expect_shown(context + " piece " + std::to_string(i));
        }
        return bytes;
    };
    // Sending the window's 100 cells again would take more than 100 bytes.
    EXPECT_LT(pieces(60, "alone", false), 60u * 80u);
    // New lines blank in a background that the rows beside the window do
    // not show, and other text beside it.
    pieces(30, "in two backgrounds", true);
    rig.device().set_cursor(Point{40, 7});
    rig.device().write("beside", 6);
    pieces(30, "beside other text", true);
    rig.write_outside(8, 50, "written by printf");
    rig.write_outside(4, 0, std::string(80, '='));
    pieces(30, "beside text of others", true);
    // Other output over the window: a clear sends every cell again.
    rig.write_outside(6, 12, "over the window", true);
    clrscr();
    rig.expect_shown("cleared after other output");
    install_device(nullptr);
    vActual = saved;
}

// A screen the console never drew on: what a program shows in a window (its
// clears, scrolls, lines in and out, text moved and boxes put back) leaves
// every cell outside the window as it was, also past the 80 by 25 cells of
// the start window on a larger terminal.
TEST(TerminalDeviceOnEmulator, LeavesWhatOthersDrewOutsideItsRectangles) {
    for (Size terminal : {Size{80, 25}, Size{100, 30}, Size{80, 24}}) {
        Rig rig(terminal, TerminalKind::kAnsi);
        std::mt19937 random(terminal.columns);
        rig.scribble(random);
        const TextInfo saved = vActual;
        install_device(&rig.device());
        textattr(0x1E);
        const std::string where = std::to_string(terminal.columns) + "x" + std::to_string(terminal.rows);
        for (int i = 0; i < 40; ++i) cprintf("line %d of the start window, long enough to wrap  ", i);
        rig.expect_shown(where + " start window");
        clrscr();
        rig.expect_shown(where + " start window cleared");
        window(10, 3, 39, 7);
        rig.expect_shown(where + " window");
        for (int i = 0; i < 12; ++i) cprintf("%d: some text in the window. ", i);
        gotoxy(1, 2);
        insline();
        delline();
        movetext(1, 1, 10, 2, 15, 3);
        std::vector<char> cells(30 * 5 * 2);
        gettext_(1, 1, 30, 5, cells.data());
        clrscr();
        puttext(1, 1, 30, 5, cells.data());
        rig.expect_shown(where + " window after its operations");
        install_device(nullptr);
        vActual = saved;
    }
}

// The terminal can't be read back: gettext_ gives what the console drew,
// and a blank in the current attribute for a cell it never drew, whatever
// another program shows there.
TEST(TerminalDeviceOnEmulator, CellsNeverDrawnReadAsBlanksInTheCurrentAttribute) {
    Rig rig(Size{80, 25}, TerminalKind::kAnsi);
    std::mt19937 random(7);
    rig.scribble(random);
    const TextInfo saved = vActual;
    install_device(&rig.device());
    textattr(0x1E);
    gotoxy(2, 1);
    cputs("ab");
    textattr(0x4F);
    char cells[4 * 2];
    ASSERT_NE(gettext_(1, 1, 4, 1, cells), 0);
    const char expected[] = {' ', '\x4F', 'a', '\x1E', 'b', '\x1E', ' ', '\x4F'};
    EXPECT_EQ(std::string(cells, sizeof cells), std::string(expected, sizeof expected));
    install_device(nullptr);
    vActual = saved;
}

// A message box over the console's text and over text it did not draw, on
// a terminal of the start window's size and on a small one: the box shows
// whole on the terminal (title, every line of the text, the button), and
// when it goes the terminal shows what it showed before, on a terminal with
// an alternate screen; on the Linux console, which has none, the console's
// own cells come back.
TEST(TerminalDeviceOnEmulator, AMessageBoxLeavesTheScreenAsItFoundIt) {
    const std::string text =
        "Un texto bastante largo para que la caja lo parta en varias l\xEDneas en una terminal peque\xF1" "a.";
    const Terminal terminals[] = {{{80, 25}, TerminalKind::kAnsi},
                                  {{40, 10}, TerminalKind::kAnsi},
                                  {{80, 25}, TerminalKind::kLinuxConsole}};
    for (const Terminal& t : terminals) {
        versos::testing::Pipe keys;
        ASSERT_TRUE(keys.ok());
        ASSERT_EQ(write(keys.write_end(), "x\r", 2), 2);  // a key the box ignores, then Enter
        const std::string where = std::to_string(t.size.columns) + "x" + std::to_string(t.size.rows) +
                                  (t.kind == TerminalKind::kLinuxConsole ? " linux" : "");
        {
            Rig rig(t.size, t.kind, keys.read_end());
            std::mt19937 random(7);
            rig.scribble(random);
            const TextInfo saved = vActual;
            install_device(&rig.device());
            window(3, 2, 30, 6);
            cputs("the console's own text, under the box");
            rig.expect_shown(where + " before the box");
            message_box("\xA1" "Atenci\xF3n!", text.c_str());
            const std::string bytes = rig.take_bytes();
            const std::size_t leave = bytes.find("\x1b[?1049l");
            EXPECT_EQ(leave == std::string::npos, t.kind == TerminalKind::kLinuxConsole) << where;
            // What shows while the box waits: everything up to its last
            // drawing, before the key that closes it.
            std::string shown;
            rig.screen().feed(bytes.substr(0, leave == std::string::npos ? bytes.size() : leave));
            for (int r = 0; r < rig.screen().rows(); ++r) shown += rig.screen().row_text(r) + "\n";
            if (leave != std::string::npos) {
                EXPECT_NE(shown.find("\xC2\xA1" "Atenci\xC3\xB3n!"), std::string::npos) << where << "\n" << shown;
                EXPECT_NE(shown.find("[ Aceptar ]"), std::string::npos) << where << "\n" << shown;
                EXPECT_NE(shown.find("peque\xC3\xB1" "a."), std::string::npos) << where << "\n" << shown;
                EXPECT_NE(shown.find("Un texto"), std::string::npos) << where << "\n" << shown;
                rig.screen().feed(bytes.substr(leave));
            }
            rig.expect_shown(where + " after the box");
            install_device(nullptr);
            vActual = saved;
        }
    }
}

}  // namespace
}  // namespace versos::console
