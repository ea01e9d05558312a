// The key bytes a Windows console key event gives: the same bytes the
// terminal's key decoder gives for the same key typed on a terminal, so that
// a program reads the same codes on both systems. Kept apart from the
// console API, so that both builds test it against the key decoder.
#pragma once

namespace versos::console {

// A KEY_EVENT_RECORD's fields.
struct VirtualKeyEvent {
    bool down = true;
    unsigned short virtual_key = 0;
    char16_t character = 0;  // one UTF-16 unit; 0 for none
    unsigned long control_state = 0;
};

// dwControlKeyState's bits.
inline constexpr unsigned long kRightAlt = 0x1, kLeftAlt = 0x2, kRightCtrl = 0x4, kLeftCtrl = 0x8, kShiftKey = 0x10;

struct KeyBytes {
    int count = 0;  // 0 to 2
    unsigned char bytes[2] = {};
    // bytes[0] is the 0 or 224 that begins a two-byte key (never a typed
    // character, Ó included).
    bool begins_pair = false;
};

// What one press gives (a repeat count repeats it). Key releases, the
// modifier keys themselves and empty events (virtual key 0, no character)
// give nothing. Cursor, editing and function keys by their virtual-key
// code, whatever the enhanced-key flag says; Escape, Enter, Tab and
// Backspace by theirs; other keys by their character in code page 850 ('?'
// where it lacks one), Alt+character as Escape then the character; Ctrl+C
// is 3.
KeyBytes key_bytes(const VirtualKeyEvent& event);

}  // namespace versos::console
