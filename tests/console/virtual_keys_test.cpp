// The Windows console's key events give the bytes that the terminal's key
// decoder gives for the same keys: what a terminal sends for each cursor,
// editing and function key, alone and with Shift, Ctrl and Alt, and for the
// keys and characters that Windows reports by virtual-key code or character.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lib/console/terminal/key_decoder.h"
#include "lib/console/virtual_keys.h"

namespace versos::console {
namespace {

struct Decoded {
    std::vector<int> bytes;
    bool begins_pair = false;
    bool operator==(const Decoded&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Decoded& d) {
    for (int b : d.bytes) os << b << ' ';
    return os << (d.begins_pair ? "(pair)" : "");
}

// What the terminal device reads from the bytes a terminal sends.
Decoded from_terminal(const std::string& sent) {
    KeyDecoder decoder;
    Decoded d;
    unsigned char out[KeyDecoder::kMaxOut];
    auto take = [&](int n) {
        if (d.bytes.empty() && n > 0) d.begins_pair = !decoder.gave_character() && (out[0] == 0 || out[0] == 224);
        d.bytes.insert(d.bytes.end(), out, out + n);
    };
    for (unsigned char c : sent) take(decoder.feed(c, out));
    take(decoder.expire(out));
    return d;
}

Decoded from_console(VirtualKeyEvent event) {
    const KeyBytes k = key_bytes(event);
    return Decoded{std::vector<int>(k.bytes, k.bytes + k.count), k.begins_pair};
}

struct Modified {
    const char* name;
    unsigned long state;
    int xterm;  // xterm's modifier parameter
};
constexpr Modified kModifiers[] = {
    {"plain", 0, 1},
    {"Shift", kShiftKey, 2},
    {"Ctrl", kLeftCtrl, 5},
    {"Ctrl", kRightCtrl, 5},
    {"Alt", kLeftAlt, 3},
    {"Ctrl+Shift", kLeftCtrl | kShiftKey, 6},
    {"Alt+Ctrl", kLeftAlt | kLeftCtrl, 7},
};

// Virtual-key codes (winuser.h) and xterm's sequences, "%d" for the
// modifier parameter.
struct Key {
    const char* name;
    unsigned short virtual_key;
    const char* plain;
    const char* modified;
};
constexpr Key kKeys[] = {
    {"Up", 0x26, "\x1b[A", "\x1b[1;%dA"},      {"Down", 0x28, "\x1b[B", "\x1b[1;%dB"},
    {"Right", 0x27, "\x1b[C", "\x1b[1;%dC"},   {"Left", 0x25, "\x1b[D", "\x1b[1;%dD"},
    {"Home", 0x24, "\x1b[H", "\x1b[1;%dH"},    {"End", 0x23, "\x1b[F", "\x1b[1;%dF"},
    {"Insert", 0x2D, "\x1b[2~", "\x1b[2;%d~"}, {"Delete", 0x2E, "\x1b[3~", "\x1b[3;%d~"},
    {"PgUp", 0x21, "\x1b[5~", "\x1b[5;%d~"},   {"PgDn", 0x22, "\x1b[6~", "\x1b[6;%d~"},
    {"F1", 0x70, "\x1bOP", "\x1b[1;%dP"},      {"F2", 0x71, "\x1bOQ", "\x1b[1;%dQ"},
    {"F3", 0x72, "\x1bOR", "\x1b[1;%dR"},      {"F4", 0x73, "\x1bOS", "\x1b[1;%dS"},
    {"F5", 0x74, "\x1b[15~", "\x1b[15;%d~"},   {"F6", 0x75, "\x1b[17~", "\x1b[17;%d~"},
    {"F7", 0x76, "\x1b[18~", "\x1b[18;%d~"},   {"F8", 0x77, "\x1b[19~", "\x1b[19;%d~"},
    {"F9", 0x78, "\x1b[20~", "\x1b[20;%d~"},   {"F10", 0x79, "\x1b[21~", "\x1b[21;%d~"},
    {"F11", 0x7A, "\x1b[23~", "\x1b[23;%d~"},  {"F12", 0x7B, "\x1b[24~", "\x1b[24;%d~"},
};

std::string sequence(const Key& key, int modifier) {
    if (modifier == 1) return key.plain;
    char text[16];
    std::snprintf(text, sizeof text, key.modified, modifier);
    return text;
}

TEST(VirtualKeys, CursorEditingAndFunctionKeysAsTheTerminalGivesThem) {
    for (const Key& key : kKeys)
        for (const Modified& m : kModifiers) {
            // Wine's console sets no enhanced-key flag for cursor keys: the
            // code must not depend on it.
            for (unsigned long enhanced : {0x0UL, 0x100UL}) {
                const Decoded expected = from_terminal(sequence(key, m.xterm));
                ASSERT_EQ(expected.bytes.size(), 2u) << key.name;
                EXPECT_EQ(from_console({true, key.virtual_key, 0, m.state | enhanced}), expected)
                    << m.name << "+" << key.name;
            }
        }
}

TEST(VirtualKeys, KeysAndCharactersAsTheTerminalGivesThem) {
    struct Case {
        const char* name;
        VirtualKeyEvent event;
        std::string sent;
    };
    const Case cases[] = {
        {"a", {true, 0x41, u'a', 0}, "a"},
        {"Shift+a", {true, 0x41, u'A', kShiftKey}, "A"},
        {"ñ (Wine: no virtual key)", {true, 0, u'\u00F1', 0}, "\xC3\xB1"},
        {"Ó, not a pair", {true, 0, u'\u00D3', 0}, "\xC3\x93"},
        {"€, outside the code page", {true, 0, u'\u20AC', 0}, "\xE2\x82\xAC"},
        {"Enter", {true, 0x0D, u'\r', 0}, "\r"},
        {"Ctrl+Enter", {true, 0x0D, u'\n', kLeftCtrl}, "\r"},
        {"Escape", {true, 0x1B, 0x1B, 0}, "\x1b"},
        {"Escape, no character", {true, 0x1B, 0, 0}, "\x1b"},
        {"Tab", {true, 0x09, u'\t', 0}, "\t"},
        {"Shift+Tab", {true, 0x09, u'\t', kShiftKey}, "\x1b[Z"},
        {"Backspace", {true, 0x08, 0x08, 0}, "\x7f"},
        {"Ctrl+Backspace", {true, 0x08, 0x7F, kLeftCtrl}, "\x08"},
        {"Ctrl+C", {true, 0x43, 3, kLeftCtrl}, "\x03"},
        {"Ctrl+A", {true, 0x41, 1, kRightCtrl}, "\x01"},
        {"Ctrl+Space", {true, 0x20, u' ', kLeftCtrl}, std::string(1, '\0')},
        {"Alt+a",
         {true, 0x41, u'a', kLeftAlt},
         "\x1b"
         "a"},
        {"Alt+ñ", {true, 0, u'\u00F1', kLeftAlt}, "\x1b\xC3\xB1"},
        {"AltGr+2 (@ on a Spanish keyboard)", {true, 0x32, u'@', kRightAlt | kLeftCtrl}, "@"},
        {"a character beyond U+FFFF, second half", {true, 0, 0xDE00, 0}, "\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases) EXPECT_EQ(from_console(c.event), from_terminal(c.sent)) << c.name;
}

TEST(VirtualKeys, ReleasesModifiersAndEmptyEventsGiveNothing) {
    const VirtualKeyEvent none[] = {
        {false, 0x41, u'a', 0},      // a released
        {false, 0x26, 0, 0},         // Up released
        {true, 0x10, 0, kShiftKey},  // Shift
        {true, 0x11, 0, kLeftCtrl},  // Ctrl
        {true, 0x12, 0, kLeftAlt},   // Alt
        {true, 0x14, 0, 0},          // Caps Lock
        {true, 0, 0, 0},             // Wine's empty events
        {true, 0, 0xD83D, 0},        // the first half of a character beyond U+FFFF
    };
    for (const VirtualKeyEvent& e : none) EXPECT_EQ(key_bytes(e).count, 0) << e.virtual_key;
}

}  // namespace
}  // namespace versos::console
