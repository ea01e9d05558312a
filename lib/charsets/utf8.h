// UTF-8, the terminal's and the X11 clipboard's encoding, for the characters
// the library's code pages hold (all below U+10000).
#pragma once

#include <string>

namespace versos::charsets {

struct Utf8 {
    unsigned char length;  // 1 to 3
    char bytes[3];
};

constexpr Utf8 encode_utf8(char32_t c) {
    Utf8 u{};
    if (c < 0x80) {
        u.length = 1;
        u.bytes[0] = static_cast<char>(c);
    } else if (c < 0x800) {
        u.length = 2;
        u.bytes[0] = static_cast<char>(0xC0 | (c >> 6));
        u.bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        u.length = 3;
        u.bytes[0] = static_cast<char>(0xE0 | (c >> 12));
        u.bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        u.bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
    }
    return u;
}

inline void append_utf8(std::string& out, char32_t c) {
    const Utf8 u = encode_utf8(c);
    out.append(u.bytes, u.length);
}

}  // namespace versos::charsets
