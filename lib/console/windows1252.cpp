#include "lib/console/windows1252.h"

#include "lib/console/terminal/cp850.h"

namespace versos::console::windows1252 {
namespace {

// 0x80 to 0x9F; from 0xA0 on the bytes are the Latin-1 characters.
constexpr char16_t kHigh[32] = {
    u'\u20AC', u'?',      u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',  // 80
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'?',      u'\u017D', u'?',       // 88
    u'?',      u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',  // 90
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'?',      u'\u017E', u'\u0178',  // 98
};

}  // namespace

char32_t to_unicode(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
    return byte;
}

unsigned char to_cp850(unsigned char byte) {
    if (byte < 0x80) return byte;
    return cp850::from_unicode(to_unicode(byte));
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string to_utf8(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) append_utf8(out, to_unicode(static_cast<unsigned char>(*p)));
    return out;
}

}  // namespace versos::console::windows1252
