// PLACEHOLDER until the terminal device lands: a console that shows nothing
// and reads no key. To be replaced by the real terminal device.
#include "lib/console/device.h"

namespace versos::console {
namespace {

class NoConsole final : public Device {
public:
    Size size() const override { return {}; }
    bool shows_output() const override { return false; }
    bool reads_keys() const override { return false; }
    unsigned input_mode() const override { return mode_; }
    void set_input_mode(unsigned mode) override { mode_ = mode; }
    int read_key() override { return kNoMoreKeys; }
    bool key_waiting() override { return false; }
    void wait_for_key() override {}
    bool push_key(unsigned char) override { return false; }
    void write(const char*, int) override {}
    Point cursor() const override { return {}; }
    void set_cursor(Point) override {}
    CursorShape cursor_shape() const override { return {}; }
    void set_cursor_shape(CursorShape) override {}
    unsigned char attribute() const override { return 0x07; }
    void set_attribute(unsigned char) override {}
    void fill(Point, int, Cell) override {}
    void scroll(Rect, const Rect*, Point, Cell) override {}
    bool read_cells(Rect, Cell*) const override { return false; }
    bool write_cells(Rect, const Cell*) override { return false; }

private:
    unsigned mode_ = kDefaultInputMode;
};

}  // namespace

Device& terminal_device() {
    static NoConsole console;
    return console;
}

}  // namespace versos::console
