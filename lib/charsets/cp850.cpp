#include "lib/charsets/cp850.h"

#include <array>

#include "lib/charsets/utf8.h"

namespace versos::cp850 {
namespace {

// 0x00 to 0x1F as the code page's glyphs; 0x00 is blank.
constexpr char16_t kLow[32] = {
    u' ',      u'\u263A', u'\u263B', u'\u2665', u'\u2666', u'\u2663', u'\u2660', u'\u2022',
    u'\u25D8', u'\u25CB', u'\u25D9', u'\u2642', u'\u2640', u'\u266A', u'\u266B', u'\u263C',
    u'\u25BA', u'\u25C4', u'\u2195', u'\u203C', u'\u00B6', u'\u00A7', u'\u25AC', u'\u21A8',
    u'\u2191', u'\u2193', u'\u2192', u'\u2190', u'\u221F', u'\u2194', u'\u25B2', u'\u25BC',
};
constexpr char16_t kHouse = u'\u2302';  // 0x7F

constexpr char32_t glyph_of(unsigned byte) {
    if (byte < 0x20) return kLow[byte];
    if (byte == 0x7F) return kHouse;
    if (byte < 0x80) return byte;
    return kHigh[byte - 0x80];
}

constexpr std::array<Utf8, 256> kUtf8 = [] {
    std::array<Utf8, 256> table{};
    for (unsigned b = 0; b < 256; ++b) table[b] = charsets::encode_utf8(glyph_of(b));
    return table;
}();

}  // namespace

const Utf8& utf8(unsigned char byte) { return kUtf8[byte]; }

std::string utf8_text(std::string_view bytes, bool keep_line_breaks) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        if (keep_line_breaks && (c == '\n' || c == '\t')) {
            out += c;
            continue;
        }
        const Utf8& g = kUtf8[static_cast<unsigned char>(c)];
        out.append(g.bytes, g.length);
    }
    return out;
}

char16_t glyph(unsigned char byte) { return static_cast<char16_t>(glyph_of(byte)); }

unsigned char from_glyph(char32_t c) {
    if (c >= 0x20 && c < 0x7F) return static_cast<unsigned char>(c);
    // The upper half first: § and ¶ are also the glyphs of 0x15 and 0x14,
    // and a cell showing them reads as the letters' bytes.
    for (unsigned b = 0x80; b < 0x100; ++b)
        if (glyph_of(b) == c) return static_cast<unsigned char>(b);
    for (unsigned b = 1; b < 0x80; ++b)
        if (glyph_of(b) == c) return static_cast<unsigned char>(b);
    return '?';
}

unsigned char from_unicode(char32_t c) {
    if (c < 0x80) return static_cast<unsigned char>(c);
    for (unsigned i = 0; i < 128; ++i)
        if (kHigh[i] == c) return static_cast<unsigned char>(0x80 + i);
    return '?';
}

}  // namespace versos::cp850
