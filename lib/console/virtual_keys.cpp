#include "lib/console/virtual_keys.h"

#include "lib/charsets/cp850.h"
#include "lib/console/key_codes.h"

namespace versos::console {
namespace {

using key_codes::Key;

// Virtual-key codes.
constexpr unsigned short kVkBack = 0x08, kVkTab = 0x09, kVkReturn = 0x0D, kVkEscape = 0x1B, kVkSpace = 0x20;
constexpr unsigned short kVkF1 = 0x70;

struct VirtualKey {
    unsigned short virtual_key;
    Key key;
};
constexpr VirtualKey kVirtualKeys[] = {
    {0x24, key_codes::kHome},   {0x26, key_codes::kUp},        {0x21, key_codes::kPgUp},
    {0x25, key_codes::kLeft},   {0x27, key_codes::kRight},     {0x23, key_codes::kEnd},
    {0x28, key_codes::kDown},   {0x22, key_codes::kPgDn},      {0x2D, key_codes::kInsert},
    {0x2E, key_codes::kDelete}, {kVkF1 + 10, key_codes::kF11}, {kVkF1 + 11, key_codes::kF12},
};

bool alt(unsigned long state) { return state & (kRightAlt | kLeftAlt); }
bool ctrl(unsigned long state) { return state & (kRightCtrl | kLeftCtrl); }
bool shift(unsigned long state) { return state & kShiftKey; }

// Alt before Ctrl before Shift, as a terminal's modifier parameter is read.
key_codes::Modifier modifier(unsigned long state) {
    return alt(state)     ? key_codes::kAlt
           : ctrl(state)  ? key_codes::kCtrl
           : shift(state) ? key_codes::kShift
                          : key_codes::kPlain;
}

KeyBytes pair(key_codes::Code code) { return KeyBytes{2, {code.prefix, code.code}, true}; }

// A byte, after an Escape when Alt alone was held, as a terminal sends Alt+x.
// Alt with Ctrl is AltGr, which types characters of its own.
KeyBytes typed(unsigned char byte, unsigned long state) {
    if (alt(state) && !ctrl(state)) return KeyBytes{2, {27, byte}, false};
    return KeyBytes{1, {byte, 0}, false};
}

}  // namespace

KeyBytes key_bytes(const VirtualKeyEvent& event) {
    if (!event.down) return {};
    const unsigned long state = event.control_state;
    const unsigned short vk = event.virtual_key;
    for (const VirtualKey& row : kVirtualKeys)
        if (row.virtual_key == vk) return pair(key_codes::code(row.key, modifier(state)));
    if (vk >= kVkF1 && vk < kVkF1 + 10)
        return pair(key_codes::code(static_cast<Key>(key_codes::kF1 + (vk - kVkF1)), modifier(state)));
    switch (vk) {
        case kVkEscape:
            return typed(27, state);
        case kVkReturn:
            return typed(13, state);
        case kVkBack:
            return typed(8, state);
        case kVkTab:
            if (shift(state) && !alt(state) && !ctrl(state)) return KeyBytes{2, {0, 15}, true};
            return typed(9, state);
        case kVkSpace:
            // Ctrl+Space types NUL, which a terminal's key gives as 0 3.
            if (ctrl(state) && !alt(state)) return KeyBytes{2, {0, 3}, true};
            break;
        default:
            break;
    }
    const char16_t c = event.character;
    if (c == 0) return {};
    // A character beyond U+FFFF comes as two units: one '?' for both.
    if (c >= 0xD800 && c <= 0xDBFF) return {};
    if (c >= 0xDC00 && c <= 0xDFFF) return typed('?', state);
    if (c == 0x7F) return typed(8, state);
    return typed(cp850::from_unicode(c), state);
}

}  // namespace versos::console
