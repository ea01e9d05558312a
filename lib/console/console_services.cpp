// color_, cursor_, pause_ and pausa_: what the command interpreter and the
// console functions did for them on Windows, done on the console device.
#include <versos/consola/console_services.h>
#include <versos/consola/text_window.h>

#include "lib/console/device.h"
#include "lib/console/two_byte_keys.h"

namespace versos {

namespace {

// cursor_ shows an underline: a tenth of the cell's height.
constexpr int kUnderlinePercent = 10;

// The character a color_ argument stands for: the digit for 0 to 9, the
// value itself otherwise.
int colour_character(int value) { return value >= 0 && value <= 9 ? '0' + value : value; }

// The colour of a hexadecimal digit, or -1. Values beyond a character's
// range are refused rather than cut down to one.
int hex_colour(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

int color_(int foreground, int background) {
    const int fg = hex_colour(colour_character(foreground));
    const int bg = hex_colour(colour_character(background));
    if (fg < 0 || bg < 0 || fg == bg) return 1;  // where the command refuses
    const auto attr = static_cast<unsigned char>(bg << 4 | fg);
    console::Batch batch;
    batch->recolour(attr);
    batch->set_attribute(attr);
    return 0;
}

int cursor_(int flag) {
    console::Batch batch;
    batch->set_cursor_shape(console::CursorShape{flag != 0, kUnderlinePercent});
    return batch->shows_output() ? 1 : 0;
}

int pause_() {
    console::Device& console = console::device();
    console.wait_for_key();
    return console.key_waiting() ? 1 : 0;
}

int pausa_() {
    const int key = getch_();
    if (console::may_begin_pair(key) && console::device().key_began_pair()) getch_();
    return 0;
}

}  // namespace versos
