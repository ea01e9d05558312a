#include "lib/charsets/utf16.h"

#include "lib/charsets/cp1252.h"
#include "lib/charsets/utf8.h"

namespace versos::charsets {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Calls `put` with each character of `text`; a lone surrogate is U+FFFD.
template <typename Put>
void each_character(std::u16string_view text, Put put) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            put(0x10000 + ((unit - 0xD800) << 10) + (text[++i] - 0xDC00));
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            put(kReplacement);
        } else {
            put(unit);
        }
    }
}

// The characters of a valid UTF-8 text, appended as UTF-16; false, with
// `out` partly written, at the first byte that breaks the encoding (an
// overlong form, a surrogate and anything beyond U+10FFFF included).
bool decode_utf8(std::string_view text, std::u16string& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        std::size_t extra;
        char32_t c, least;
        if (lead < 0x80) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, c = lead & 0x1F, least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, c = lead & 0x0F, least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, c = lead & 0x07, least = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i <= extra) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += extra + 1;
    }
    return true;
}

}  // namespace

std::u16string cp1252_to_utf16(const char* text, std::size_t length) {
    std::u16string out(length, u'\0');
    for (std::size_t i = 0; i < length; ++i)
        out[i] = static_cast<char16_t>(cp1252_code_point(static_cast<unsigned char>(text[i])));
    return out;
}

unsigned char cp1252_byte_of(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (unsigned b = 0; b < 32; ++b)
        if (kCp1252HighControls[b] == c) return static_cast<unsigned char>(0x80 + b);
    return '?';
}

void append_utf16_as_cp1252(std::u16string_view text, std::string& out) {
    out.reserve(out.size() + text.size());
    each_character(text, [&](char32_t c) { out += static_cast<char>(cp1252_byte_of(c)); });
}

void append_utf16_as_utf8(std::u16string_view text, std::string& out) {
    out.reserve(out.size() + text.size() * 3);
    each_character(text, [&](char32_t c) {
        if (c < 0x10000) {
            append_utf8(out, c);
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    });
}

std::u16string utf8_to_utf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    if (decode_utf8(text, out)) return out;
    return cp1252_to_utf16(text.data(), text.size());
}

}  // namespace versos::charsets
