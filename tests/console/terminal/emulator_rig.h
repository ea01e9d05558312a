// The rig of the emulator tests: a terminal device writing into memory, the
// emulator (libvterm) reading what it wrote, the comparison of the two, and
// random device operations to drive them.
#pragma once

#include <sys/types.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lib/console/terminal/terminal_device.h"
#include "tests/console/terminal/vterm_screen.h"

namespace versos::console::testing {

// A device writing into memory, and the emulator reading what it wrote.
class Rig {
public:
    // Keys, when given, are read from `input_fd`.
    Rig(Size terminal, TerminalKind kind, int input_fd = -1);
    ~Rig();
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    TerminalDevice& device() { return *device_; }
    VtermScreen& screen() { return screen_; }

    // What the device wrote since the last call, fed to the emulator.
    std::string take_output();
    // The same, not fed to the emulator.
    std::string take_bytes();

    // Another program's output: random text in random colours and
    // attributes, the cursor and the pen left anywhere.
    void scribble(std::mt19937& random);

    // Another program's text at (row, column), over whatever the console
    // drew there; unless `set_again`, no operation of the test sets those
    // cells again.
    void write_outside(int row, int column, const std::string& text, bool set_again = false);

    // Every visible cell, its colours where they show, and the cursor, as
    // the device keeps them.
    void expect_shown(const std::string& context);

    bool shape_set_ = false;
    bool cursor_placed_ = false;  // by a write or a cursor move: before, the device leaves it alone

private:
    std::vector<VtermScreen::Shown> shown_cells() const;

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

// Random operations on the rig's device, at the edges of the screen more
// often than chance would put them there.
class Operations {
public:
    Operations(Rig& rig, std::mt19937& random) : rig_(rig), random_(random) {}

    int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }
    unsigned char any_byte();
    Cell any_cell();
    Point any_point();
    Rect any_rect();

    // One operation; its name for the log.
    std::string one();

private:
    Rig& rig_;
    std::mt19937& random_;
};

}  // namespace versos::console::testing
