// Text another writer puts on the terminal (standard error, stdio's standard
// output) moves the terminal's cursor and changes its pen behind the
// device's back: once told, the device's next move and colour are right.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "lib/console/terminal/terminal_device.h"
#include "tests/console/terminal/vterm_screen.h"

namespace versos::console {
namespace {

TEST(TerminalDeviceWithAnotherWriter, MovesAndColoursRightAfterBeingTold) {
    const int fd = memfd_create("console-output", 0);
    ASSERT_GE(fd, 0);
    TerminalSetup setup;
    setup.output_fd = fd;
    setup.size = Size{80, 25};
    setup.whole_process = false;
    TerminalDevice device(setup);
    testing::VtermScreen screen(25, 80);
    off_t read = 0;
    auto take_output = [&] {
        char buffer[65536];
        ssize_t n;
        while ((n = pread(fd, buffer, sizeof buffer, read)) > 0) {
            screen.feed(std::string(buffer, static_cast<std::size_t>(n)));
            read += n;
        }
    };

    device.set_attribute(0x07);
    device.set_cursor(Point{2, 3});
    device.write("abc", 3);
    take_output();
    // Standard error, on the same terminal: elsewhere, in red.
    const std::string other = "\r\n\x1b[31mwarning\n";
    ASSERT_EQ(write(fd, other.data(), other.size()), static_cast<ssize_t>(other.size()));
    take_output();
    device.terminal_written_outside();

    // A move the device would make relative to where it left the cursor.
    device.set_cursor(Point{0, 3});
    device.write("X", 1);
    take_output();
    EXPECT_EQ(screen.at(3, 0).ch, U'X');
    EXPECT_EQ(screen.at(3, 0).fg, 7);  // light grey, not the other writer's red
    EXPECT_EQ(screen.cursor().row, 3);
    EXPECT_EQ(screen.cursor().col, 1);
    close(fd);
}

}  // namespace
}  // namespace versos::console
