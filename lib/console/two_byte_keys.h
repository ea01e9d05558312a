// Cursor, editing and function keys reach a program as two key bytes: 224
// then the key's code, or 0 then the code of F1..F10.
#pragma once

namespace versos::console {

// Whether a key byte may begin a two-byte key. Only the device can tell such
// a 224 from a typed Ó, which is 224 too in code page 850
// (Device::key_began_pair).
constexpr bool may_begin_pair(int key) { return key == 0 || key == 224; }

}  // namespace versos::console
