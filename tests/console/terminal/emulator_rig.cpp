#include "tests/console/terminal/emulator_rig.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "lib/charsets/cp850.h"
#include "lib/charsets/utf8.h"

namespace versos::console::testing {
namespace {

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

}  // namespace

Rig::Rig(Size terminal, TerminalKind kind, int input_fd) : kind_(kind), screen_(terminal.rows, terminal.columns) {
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

Rig::~Rig() { close(fd_); }

std::string Rig::take_output() {
    std::string bytes = take_bytes();
    screen_.feed(bytes);
    return bytes;
}

std::string Rig::take_bytes() {
    std::string bytes;
    char buffer[65536];
    ssize_t n;
    while ((n = pread(fd_, buffer, sizeof buffer, read_)) > 0) {
        bytes.append(buffer, static_cast<std::size_t>(n));
        read_ += n;
    }
    return bytes;
}

void Rig::scribble(std::mt19937& random) {
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

void Rig::write_outside(int row, int column, const std::string& text, bool set_again) {
    take_output();
    screen_.feed("\x1b[" + std::to_string(row + 1) + ";" + std::to_string(column + 1) + "H\x1b[4;35m" + text);
    device_->terminal_written_outside();
    others_ = shown_cells();
    for (std::size_t i = 0; i < text.size() && !set_again; ++i)
        foreign_.push_back(Point{column + static_cast<int>(i), row});
}

void Rig::expect_shown(const std::string& context) {
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
                                  << static_cast<unsigned>(before.ch) << " became U+" << static_cast<unsigned>(shown.ch)
                                  << std::dec;
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
                ADD_FAILURE() << context << ": cell " << r << "," << c << " kept " << static_cast<int>(kept.ch) << "/"
                              << std::hex << static_cast<int>(kept.attr) << std::dec << " shown U+" << std::hex
                              << static_cast<unsigned>(shown.ch) << std::dec << " fg " << fg << " bg " << bg;
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

std::vector<VtermScreen::Shown> Rig::shown_cells() const {
    std::vector<VtermScreen::Shown> cells;
    for (int r = 0; r < screen_.rows(); ++r)
        for (int c = 0; c < screen_.columns(); ++c) cells.push_back(screen_.at(r, c));
    return cells;
}

unsigned char Operations::any_byte() {
    switch (pick(4)) {
        case 0:
            return static_cast<unsigned char>(pick(256));
        case 1:
            return static_cast<unsigned char>(pick(32));  // control bytes
        default:
            return static_cast<unsigned char>('a' + pick(26));
    }
}

Cell Operations::any_cell() {
    unsigned char attr = static_cast<unsigned char>(pick(256));
    return Cell{pick(3) == 0 ? any_byte() : static_cast<unsigned char>(pick(8) ? ' ' : 0), attr};
}

Point Operations::any_point() {
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

Rect Operations::any_rect() {
    Point a = any_point(), b = any_point();
    return Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

std::string Operations::one() {
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

}  // namespace versos::console::testing
