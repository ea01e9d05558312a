// The text attribute: set on the console and recorded in text_attr.
#include <versos/consola/text_window.h>

#include "lib/console/window_state.h"

namespace versos {

using console::Batch;

namespace {

constexpr unsigned char kBright = 0x08;

void apply(console::Device& console, unsigned char attr) {
    console.set_attribute(attr);
    vActual.text_attr = attr;
}

}  // namespace

void textattr(int attribute) {
    Batch batch;
    apply(*batch, static_cast<unsigned char>(attribute));
}

// The colours are put over the console's own attribute, not text_attr:
// the two differ until the first attribute is set (0x0F is recorded at
// start, whatever the console has).
int textcolor(int colour) {
    Batch batch;
    const auto attr = static_cast<unsigned char>(colour | (batch->attribute() & 0xF0));
    apply(*batch, attr);
    return attr;
}

void textbackground(int colour) {
    Batch batch;
    apply(*batch, static_cast<unsigned char>((static_cast<unsigned>(colour) << 4) | (batch->attribute() & 0x0Fu)));
}

void highvideo() {
    Batch batch;
    apply(*batch, static_cast<unsigned char>(vActual.text_attr | kBright));
}

void lowvideo() {
    Batch batch;
    apply(*batch, static_cast<unsigned char>(vActual.text_attr & ~kBright));
}

void normvideo() {
    Batch batch;
    apply(*batch, vActual.normal_attr);
}

void textmode() {}

}  // namespace versos
