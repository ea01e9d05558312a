// The two bytes the Windows console gives for its cursor, editing and
// function keys, alone and with Shift, Ctrl or Alt: one table, for the
// terminal's key decoder and the Windows console's key events alike.
#pragma once

namespace versos::console::key_codes {

enum Key { kHome, kUp, kPgUp, kLeft, kRight, kEnd, kDown, kPgDn, kInsert, kDelete, kF1, kF11 = kF1 + 10, kF12 };
inline constexpr int kKeyCount = kF12 + 1;

// The one modifier that counts, Alt before Ctrl before Shift.
enum Modifier { kPlain, kShift, kCtrl, kAlt };

struct Code {
    unsigned char prefix;  // 0 or 224
    unsigned char code;
};

// Up 224 72, Ctrl+Left 224 115, F1 0 59, Alt+Home 0 151, F11 224 133, ...
Code code(Key key, Modifier modifier);

}  // namespace versos::console::key_codes
