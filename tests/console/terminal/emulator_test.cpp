// The terminal device's output fed to a terminal emulator (libvterm): after
// random sequences of device operations, the emulator's cells, colours and
// cursor must be the device's kept cells where the console drew, and what
// other output left everywhere else.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <versos/consola.h>

#include "lib/charsets/cp850.h"
#include "lib/charsets/utf8.h"
#include "lib/console/message_box.h"
#include "lib/console/terminal/terminal_device.h"
#include "tests/console/terminal/vterm_screen.h"

namespace versos::console {
namespace {

using testing::VtermScreen;

// The palette index a terminal shows a console colour with: the console's
// bits are blue 1, green 2, red 4 and bright 8; ANSI's are red 1, green 2,
// blue 4 and bright 8.
int palette_index(int colour) {
    return ((colour & 4) ? 1 : 0) | ((colour & 2) ? 2 : 0) | ((colour & 1) ? 4 : 0) | (colour & 8);
}

std::string printable(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c == 0x1b)
            text += "\\e";
        else if (c < 0x20)
            text += "^" + std::string(1, static_cast<char>(c + 64));
        else
            text += static_cast<char>(c);
    }
    return text;
}

// True if the terminal shows `shown` where the cell holds `byte`.
bool shows_byte(char32_t shown, unsigned char byte) {
    const cp850::Utf8& expected = cp850::utf8(byte);
    std::string shown_utf8;
    charsets::append_utf8(shown_utf8, shown);
    return shown_utf8 == std::string(expected.bytes, expected.length);
}

// DECSCUSR, ESC [ n SP q: the Linux console would print its q.
bool has_cursor_style(const std::string& bytes) {
    for (std::size_t at = bytes.find("\x1b["); at != std::string::npos; at = bytes.find("\x1b[", at + 1)) {
        std::size_t end = bytes.find_first_not_of("0123456789", at + 2);
        if (end != std::string::npos && bytes.compare(end, 2, " q") == 0) return true;
    }
    return false;
}

// A device writing into memory, and the emulator reading what it wrote.
class Rig {
public:
    // Keys, when given, are read from `input_fd`.
    Rig(Size terminal, TerminalKind kind, int input_fd = -1) : kind_(kind), screen_(terminal.rows, terminal.columns) {
        fd_ = memfd_create("console-output", 0);
        TerminalSetup setup;
        setup.input_fd = input_fd;
        setup.output_fd = fd_;
        setup.size = terminal;
        setup.kind = kind;
        setup.whole_process = false;
        device_ = std::make_unique<TerminalDevice>(setup);
        others_ = shown_cells();
    }
    ~Rig() { close(fd_); }

    TerminalDevice& device() { return *device_; }
    VtermScreen& screen() { return screen_; }

    // What the device wrote since the last call, fed to the emulator.
    std::string take_output() {
        std::string bytes = take_bytes();
        screen_.feed(bytes);
        return bytes;
    }
    std::string take_bytes() {
        std::string bytes;
        char buffer[65536];
        ssize_t n;
        while ((n = pread(fd_, buffer, sizeof buffer, read_)) > 0) {
            bytes.append(buffer, static_cast<std::size_t>(n));
            read_ += n;
        }
        return bytes;
    }

    // Another program's output: random text in random colours and
    // attributes, the cursor and the pen left anywhere.
    void scribble(std::mt19937& random) {
        std::string junk;
        for (int i = 0; i < 400; ++i) {
            junk += "\x1b[" + std::to_string(random() % screen_.rows() + 1) + ";" +
                    std::to_string(random() % screen_.columns() + 1) + "H";
            junk += "\x1b[" + std::to_string(random() % 2 ? 7 : 4) + ";" + std::to_string(31 + random() % 7) + ";" +
                    std::to_string(41 + random() % 7) + "m";
            junk += static_cast<char>('A' + random() % 26);
        }
        junk += "\x1b[1;7;5;33;44m";
        screen_.feed(junk);
        others_ = shown_cells();
    }

    // Another program's text at (row, column), over whatever the console
    // drew there; unless `set_again`, no operation of the test sets those
    // cells again.
    void write_outside(int row, int column, const std::string& text, bool set_again = false) {
        take_output();
        screen_.feed("\x1b[" + std::to_string(row + 1) + ";" + std::to_string(column + 1) + "H\x1b[4;35m" + text);
        device_->terminal_written_outside();
        others_ = shown_cells();
        for (std::size_t i = 0; i < text.size() && !set_again; ++i)
            foreign_.push_back(Point{column + static_cast<int>(i), row});
    }

    // Every visible cell, its colours where they show, and the cursor, as
    // the device keeps them.
    void expect_shown(const std::string& context) {
        std::string sent = take_output();
        Size size = device_->size();
        std::vector<Cell> cells(static_cast<std::size_t>(size.columns) * size.rows);
        ASSERT_TRUE(device_->read_cells(Rect{0, 0, size.columns - 1, size.rows - 1}, cells.data()));
        int wrong = 0;
        for (int r = 0; r < screen_.rows(); ++r)
            for (int c = 0; c < screen_.columns(); ++c) {
                Cell kept = cells[static_cast<std::size_t>(r) * size.columns + c];
                VtermScreen::Shown shown = screen_.at(r, c);
                if (!device_->kept_cells().drawn(c, r) ||
                    std::find(foreign_.begin(), foreign_.end(), Point{c, r}) != foreign_.end()) {
                    const VtermScreen::Shown& before = others_[static_cast<std::size_t>(r) * screen_.columns() + c];
                    if ((shown.ch != before.ch || shown.fg != before.fg || shown.bg != before.bg ||
                         shown.bold != before.bold || shown.blink != before.blink) &&
                        ++wrong <= 5)
                        ADD_FAILURE() << context << ": cell " << r << "," << c << " not the console's, U+" << std::hex
                                      << static_cast<unsigned>(before.ch) << " became U+"
                                      << static_cast<unsigned>(shown.ch) << std::dec;
                    continue;
                }
                int fg = shown.fg, bg = shown.bg;
                if (kind_ == TerminalKind::kLinuxConsole) {
                    // Bold and blink give the bright colours there; older
                    // kernels know no others.
                    if (fg >= 8 || bg >= 8) fg = bg = -3;
                    if (fg >= 0 && shown.bold) fg += 8;
                    if (bg >= 0 && shown.blink) bg += 8;
                }
                bool blank = kept.ch == ' ' || kept.ch == 0;
                bool same = shows_byte(shown.ch, kept.ch) && bg == palette_index(kept.attr >> 4) &&
                            (blank || fg == palette_index(kept.attr & 0x0F));
                if (!same && ++wrong <= 5)
                    ADD_FAILURE() << context << ": cell " << r << "," << c << " kept " << static_cast<int>(kept.ch)
                                  << "/" << std::hex << static_cast<int>(kept.attr) << std::dec << " shown U+"
                                  << std::hex << static_cast<unsigned>(shown.ch) << std::dec << " fg " << fg << " bg "
                                  << bg;
            }
        if (kind_ == TerminalKind::kLinuxConsole) {
            EXPECT_FALSE(has_cursor_style(sent)) << context;
        }
        Point at = device_->cursor();
        if (cursor_placed_ && at.x < screen_.columns() && at.y < screen_.rows()) {
            EXPECT_EQ(screen_.cursor().row, at.y) << context;
            EXPECT_EQ(screen_.cursor().col, at.x) << context;
        }
        CursorShape shape = device_->cursor_shape();
        EXPECT_EQ(screen_.cursor_visible(), shape.visible) << context;
        if (shape_set_ && kind_ == TerminalKind::kAnsi) {
            EXPECT_EQ(screen_.cursor_shape(),
                      shape.percent >= 50 ? VTERM_PROP_CURSORSHAPE_BLOCK : VTERM_PROP_CURSORSHAPE_UNDERLINE)
                << context;
        }
        if (wrong > 0) FAIL() << context << ": " << wrong << " cells differ after " << printable(sent);
    }

    bool shape_set_ = false;
    bool cursor_placed_ = false;  // by a write or a cursor move: before, the device leaves it alone

private:
    std::vector<VtermScreen::Shown> shown_cells() const {
        std::vector<VtermScreen::Shown> cells;
        for (int r = 0; r < screen_.rows(); ++r)
            for (int c = 0; c < screen_.columns(); ++c) cells.push_back(screen_.at(r, c));
        return cells;
    }

    TerminalKind kind_;
    VtermScreen screen_;
    // What other output left on the terminal, and the cells it covered that
    // the console had drawn.
    std::vector<VtermScreen::Shown> others_;
    std::vector<Point> foreign_;
    int fd_;
    off_t read_ = 0;
    std::unique_ptr<TerminalDevice> device_;
};

class Operations {
public:
    Operations(Rig& rig, std::mt19937& random) : rig_(rig), random_(random) {}

    int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
    unsigned char any_byte() {
        switch (pick(4)) {
            case 0:
                return static_cast<unsigned char>(pick(256));
            case 1:
                return static_cast<unsigned char>(pick(32));  // control bytes
            default:
                return static_cast<unsigned char>('a' + pick(26));
        }
    }
    Cell any_cell() {
        unsigned char attr = static_cast<unsigned char>(pick(256));
        return Cell{pick(3) == 0 ? any_byte() : static_cast<unsigned char>(pick(8) ? ' ' : 0), attr};
    }
    Point any_point() {
        Size s = rig_.device().size();
        switch (pick(5)) {
            case 0:
                return Point{s.columns - 1, pick(s.rows)};  // last column
            case 1:
                return Point{s.columns - 1, s.rows - 1};  // bottom-right
            case 2:
                return Point{rig_.screen().columns() - 1, pick(rig_.screen().rows())};  // terminal's last
            default:
                return Point{pick(s.columns), pick(s.rows)};
        }
    }
    Rect any_rect() {
        Point a = any_point(), b = any_point();
        return Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    }

    // One operation; its name for the log.
    std::string one() {
        TerminalDevice& d = rig_.device();
        Size s = d.size();
        std::ostringstream name;
        switch (pick(10)) {
            case 0: {
                d.set_attribute(static_cast<unsigned char>(pick(256)));
                name << "attribute " << static_cast<int>(d.attribute());
                break;
            }
            case 1: {
                Point p = any_point();
                if (pick(10) == 0) p.x = s.columns + pick(3);
                d.set_cursor(p);
                if (p.x < s.columns) rig_.cursor_placed_ = true;
                name << "cursor " << p.x << "," << p.y;
                break;
            }
            case 2:
            case 3: {
                std::string text;
                int length = pick(4) == 0 ? pick(3 * s.columns) : pick(12);
                for (int i = 0; i < length; ++i) text += static_cast<char>(any_byte());
                d.write(text.data(), static_cast<int>(text.size()));
                rig_.cursor_placed_ = true;
                name << "write " << length;
                break;
            }
            case 4: {
                Point from = any_point();
                int count = pick(3) == 0 ? s.columns * s.rows : pick(3 * s.columns);
                d.fill(from, count, any_cell());
                name << "fill " << from.x << "," << from.y << " " << count;
                break;
            }
            case 5: {
                // Whole rows up or down, as the window scrolls and lines go
                // in and out; sometimes clipped to a band of rows.
                int top = pick(s.rows), bottom = top + pick(s.rows - top);
                int shift = pick(5) - 2;
                Rect source{0, top, s.columns - 1, bottom};
                int ct = pick(s.rows), cb = ct + pick(s.rows - ct);
                Rect clip{0, ct, s.columns - 1, cb};
                bool clipped = pick(2) == 0;
                d.scroll(source, clipped ? &clip : nullptr, Point{0, top + shift}, any_cell());
                name << "scroll rows " << top << "-" << bottom << " by " << shift << (clipped ? " clipped" : "");
                break;
            }
            case 6: {
                Rect source = any_rect();
                Point to = any_point();
                Rect clip = any_rect();
                bool clipped = pick(2) == 0;
                d.scroll(source, clipped ? &clip : nullptr, to, any_cell());
                name << "scroll rect to " << to.x << "," << to.y;
                break;
            }
            case 7: {
                Rect area = any_rect();
                if (pick(4) == 0) area.right += 5;  // partly outside
                std::vector<Cell> cells(static_cast<std::size_t>(area.width()) * area.height());
                for (Cell& c : cells) c = any_cell();
                d.write_cells(area, cells.data());
                name << "cells " << area.left << "," << area.top << "-" << area.right << "," << area.bottom;
                break;
            }
            case 8: {
                CursorShape shape{pick(3) != 0, 1 + pick(100)};
                d.set_cursor_shape(shape);
                rig_.shape_set_ = true;
                name << "shape " << shape.visible << " " << shape.percent;
                break;
            }
            case 9: {
                d.begin_batch();
                int n = 2 + pick(5);
                name << "batch of " << n << ":";
                for (int i = 0; i < n; ++i) {
                    std::string inner = one();
                    if (inner.rfind("batch", 0) != 0) name << " [" << inner << "]";
                }
                d.end_batch();
                break;
            }
        }
        return name.str();
    }

private:
    Rig& rig_;
    std::mt19937& random_;
};

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
        int keys[2];
        ASSERT_EQ(pipe(keys), 0);
        ASSERT_EQ(write(keys[1], "x\r", 2), 2);  // a key the box ignores, then Enter
        const std::string where = std::to_string(t.size.columns) + "x" + std::to_string(t.size.rows) +
                                  (t.kind == TerminalKind::kLinuxConsole ? " linux" : "");
        {
            Rig rig(t.size, t.kind, keys[0]);
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
        close(keys[0]);
        close(keys[1]);
    }
}

}  // namespace
}  // namespace versos::console
