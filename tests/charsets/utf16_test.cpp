// UTF-16 against Windows-1252 and UTF-8, the Windows system calls' side of
// the clipboard, the command line and console output, checked against
// glibc's own tables.
#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <string>

#include "lib/charsets/utf16.h"

namespace versos::charsets {
namespace {

std::optional<std::string> by_iconv(const char* from, const char* to, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) ADD_FAILURE() << "iconv can't convert " << from << " to " << to;
    std::string out(in.size() * 4 + 4, '\0');
    char* in_p = const_cast<char*>(in.data());
    char* out_p = out.data();
    std::size_t in_left = in.size(), out_left = out.size();
    const std::size_t done = iconv(cd, &in_p, &in_left, &out_p, &out_left);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1)) return std::nullopt;
    out.resize(out.size() - out_left);
    return out;
}

std::string bytes_of(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text) out += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return out;
}

// The five bytes Windows-1252 leaves undefined stand for the C1 controls of
// the same value, as in the Windows conversion; glibc leaves them out.
bool undefined_in_cp1252(unsigned b) { return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D; }

TEST(Utf16, EveryBmpCharacterToWindows1252AsIconvHasIt) {
    int held = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::u16string one(1, static_cast<char16_t>(c));
        std::string mine;
        append_utf16_as_cp1252(one, mine);
        ASSERT_EQ(mine.size(), 1u);
        if (c >= 0x80 && c <= 0x9F && undefined_in_cp1252(c)) {
            EXPECT_EQ(static_cast<unsigned char>(mine[0]), c);
            ++held;
            continue;
        }
        const std::optional<std::string> reference = by_iconv("UTF-16LE", "CP1252", bytes_of(one));
        EXPECT_EQ(mine, reference.value_or("?")) << "U+" << std::hex << static_cast<unsigned>(c);
        held += reference.has_value();
    }
    EXPECT_EQ(held, 255);
    std::string out;
    append_utf16_as_cp1252(u"a\xD83D\xDE00z\xDC00", out);  // a pair, then a lone surrogate
    EXPECT_EQ(out, "a?z?");
}

TEST(Utf16, Windows1252RoundTripsThroughUtf16) {
    std::string all;
    for (unsigned b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::u16string letters = cp1252_to_utf16(all.data(), all.size());
    std::string back;
    append_utf16_as_cp1252(letters, back);
    EXPECT_EQ(back, all);
}

TEST(Utf16, Utf8BothWaysAsIconvHasIt) {
    const std::string text = "a\xC3\xB1orado \xE2\x82\xAC \xF0\x9F\x98\x80 \xE2\x98\xBA";
    const std::u16string letters = utf8_to_utf16(text);
    EXPECT_EQ(bytes_of(letters), by_iconv("UTF-8", "UTF-16LE", text));
    std::string back;
    append_utf16_as_utf8(letters, back);
    EXPECT_EQ(back, text);
}

TEST(Utf16, TextThatIsNotUtf8IsReadAsWindows1252) {
    for (const std::string text :
         {"can\xE7i\xF3n", "\xC3", "\xE0\x80\x80", "\xED\xA0\x80", "\xC0\xAF", "\xF4\xA0\xA0\xA0"}) {
        EXPECT_EQ(bytes_of(utf8_to_utf16(text)), by_iconv("CP1252", "UTF-16LE", text)) << text;
    }
}

}  // namespace
}  // namespace versos::charsets
