#include "lib/console/key_codes.h"

namespace versos::console::key_codes {
namespace {

// Plain, Shift, Ctrl, Alt.
using Codes = Code[4];

constexpr Codes kEditing[] = {
    {{224, 71}, {224, 71}, {224, 119}, {0, 151}},  // Home
    {{224, 72}, {224, 72}, {224, 141}, {0, 152}},  // Up
    {{224, 73}, {224, 73}, {224, 134}, {0, 153}},  // PgUp
    {{224, 75}, {224, 75}, {224, 115}, {0, 155}},  // Left
    {{224, 77}, {224, 77}, {224, 116}, {0, 157}},  // Right
    {{224, 79}, {224, 79}, {224, 117}, {0, 159}},  // End
    {{224, 80}, {224, 80}, {224, 145}, {0, 160}},  // Down
    {{224, 81}, {224, 81}, {224, 118}, {0, 161}},  // PgDn
    {{224, 82}, {224, 82}, {224, 146}, {0, 162}},  // Insert
    {{224, 83}, {224, 83}, {224, 147}, {0, 163}},  // Delete
};
constexpr Codes kF11Codes = {{224, 133}, {224, 135}, {224, 137}, {224, 139}};
constexpr Codes kF12Codes = {{224, 134}, {224, 136}, {224, 138}, {224, 140}};
// F1 of each column; F2 to F10 follow it.
constexpr unsigned char kFunctionBase[4] = {59, 84, 94, 104};

}  // namespace

Code code(Key key, Modifier modifier) {
    if (key < kF1) return kEditing[key][modifier];
    if (key == kF11) return kF11Codes[modifier];
    if (key == kF12) return kF12Codes[modifier];
    return Code{0, static_cast<unsigned char>(kFunctionBase[modifier] + key - kF1)};
}

}  // namespace versos::console::key_codes
