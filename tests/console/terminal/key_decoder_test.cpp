// The key decoder on what terminals send, cut at every byte boundary, and
// the code page against glibc's iconv table for CP850.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "lib/charsets/cp850.h"
#include "lib/charsets/utf8.h"
#include "lib/console/terminal/key_decoder.h"

namespace versos::console {
namespace {

using Keys = std::vector<int>;

struct Case {
    const char* name;
    std::string bytes;
    Keys keys;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"letters and Enter", "ab\r", {'a', 'b', 13}},
        {"Backspace as DEL and ^H", "\x7f\b", {8, 8}},
        {"Ctrl+Space", std::string(1, '\0'), {0, 3}},
        {"cursor keys, CSI", "\x1b[A\x1b[B\x1b[D\x1b[C", {224, 72, 224, 80, 224, 75, 224, 77}},
        {"cursor keys, SS3", "\x1bOA\x1bOB\x1bOD\x1bOC", {224, 72, 224, 80, 224, 75, 224, 77}},
        {"Home and End",
         "\x1b[H\x1b[F\x1bOH\x1bOF\x1b[1~\x1b[4~\x1b[7~\x1b[8~",
         {224, 71, 224, 79, 224, 71, 224, 79, 224, 71, 224, 79, 224, 71, 224, 79}},
        {"Insert Delete PgUp PgDn", "\x1b[2~\x1b[3~\x1b[5~\x1b[6~", {224, 82, 224, 83, 224, 73, 224, 81}},
        {"F1-F4 SS3", "\x1bOP\x1bOQ\x1bOR\x1bOS", {0, 59, 0, 60, 0, 61, 0, 62}},
        {"F1-F5 old xterm", "\x1b[11~\x1b[12~\x1b[13~\x1b[14~\x1b[15~", {0, 59, 0, 60, 0, 61, 0, 62, 0, 63}},
        {"F1-F5 Linux console", "\x1b[[A\x1b[[B\x1b[[C\x1b[[D\x1b[[E", {0, 59, 0, 60, 0, 61, 0, 62, 0, 63}},
        {"F6-F12",
         "\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~\x1b[23~\x1b[24~",
         {0, 64, 0, 65, 0, 66, 0, 67, 0, 68, 224, 133, 224, 134}},
        {"Ctrl, Shift, Alt on cursor keys",
         "\x1b[1;5D\x1b[1;5C\x1b[1;2A\x1b[1;3B\x1b[3;5~\x1b[5;5~",
         {224, 115, 224, 116, 224, 72, 0, 160, 224, 147, 224, 134}},
        {"modified function keys", "\x1b[1;2P\x1bO5Q\x1b[15;3~\x1b[24;5~", {0, 84, 0, 95, 0, 108, 224, 138}},
        {"rxvt modifiers", "\x1b[2$\x1b[3^", {224, 82, 224, 147}},
        {"Linux Shift+F3 and Shift+F10", "\x1b[25~\x1b[34~", {0, 86, 0, 93}},
        {"Shift+Tab, keypad Enter", "\x1b[Z\x1bOM", {0, 15, 13}},
        {"Alt+letter", "\x1bx", {27, 'x'}},
        {"unknown sequences dropped whole", "\x1b[?1;2c\x1b[200~\x1b[Mabc\x1b[99;99;99A\x1bOz", {'a', 'b', 'c'}},
        {"a control byte ends a sequence", "\x1b[1\r", {13}},
        {"UTF-8 to code page 850", "\xc3\xb1\xc3\x91\xe2\x94\x80\xc3\xa9", {0xA4, 0xA5, 0xC4, 0x82}},
        {"outside the code page", "\xe2\x82\xac\xe2\x98\xba\xf0\x9f\x98\x80", {'?', '?', '?'}},
        {"malformed UTF-8",
         "\xc3"
         "a\xff\x80\xe0\x80\x80",
         {'?', 'a', '?', '?', '?'}},
    };
    return all;
}

Keys feed(KeyDecoder& d, const std::string& bytes) {
    Keys keys;
    unsigned char out[KeyDecoder::kMaxOut];
    for (char c : bytes) {
        int n = d.feed(static_cast<unsigned char>(c), out);
        keys.insert(keys.end(), out, out + n);
    }
    return keys;
}

TEST(KeyDecoder, EveryFormWholeAndCutAtEveryByte) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        for (std::size_t cut = 0; cut <= c.bytes.size(); ++cut) {
            KeyDecoder d;
            Keys keys = feed(d, c.bytes.substr(0, cut));
            Keys rest = feed(d, c.bytes.substr(cut));
            keys.insert(keys.end(), rest.begin(), rest.end());
            EXPECT_EQ(keys, c.keys) << "cut after " << cut << " bytes";
            EXPECT_FALSE(d.pending());
        }
    }
    // All of them in one stream.
    KeyDecoder d;
    std::string stream;
    Keys expected;
    for (const Case& c : cases()) {
        stream += c.bytes;
        expected.insert(expected.end(), c.keys.begin(), c.keys.end());
    }
    EXPECT_EQ(feed(d, stream), expected);
}

TEST(KeyDecoder, WhatWaitsWhenNothingMoreComes) {
    struct Expiring {
        std::string bytes;
        Keys keys;
    };
    for (const Expiring& e :
         {Expiring{"\x1b", {27}}, Expiring{"\x1b[", {27, '['}}, Expiring{"\x1bO", {27, 'O'}}, Expiring{"\x1b[1;", {}},
          Expiring{"\xe2\x94", {'?'}}, Expiring{"a\x1b\x1b", {'a', 27, 27}}}) {
        KeyDecoder d;
        Keys keys = feed(d, e.bytes);
        EXPECT_TRUE(d.pending());
        unsigned char out[KeyDecoder::kMaxOut];
        int n = d.expire(out);
        keys.insert(keys.end(), out, out + n);
        EXPECT_EQ(keys, e.keys);
        EXPECT_FALSE(d.pending());
        EXPECT_EQ(feed(d, "\x1b[A"), (Keys{224, 72})) << "decodes afresh after";
    }
}

// One code-page-850 byte through iconv; 0 if iconv refuses it.
char32_t iconv_cp850(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-32LE", "CP850");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[8];
    char *inp = in, *outp = reinterpret_cast<char*>(out);
    std::size_t inleft = 1, outleft = sizeof out;
    bool ok = iconv(cd, &inp, &inleft, &outp, &outleft) != static_cast<std::size_t>(-1) && outleft == 4;
    iconv_close(cd);
    return ok ? out[0] | out[1] << 8 | out[2] << 16 | static_cast<char32_t>(out[3]) << 24 : 0;
}

std::string utf8_of(unsigned char byte) {
    const cp850::Utf8& u = cp850::utf8(byte);
    return std::string(u.bytes, u.length);
}

TEST(CodePage850, ShownAsIconvHasItAndTypedBack) {
    for (int b = 0x20; b < 0x100; ++b) {
        if (b == 0x7F) continue;
        SCOPED_TRACE(b);
        std::string iconv_utf8;
        charsets::append_utf8(iconv_utf8, iconv_cp850(static_cast<unsigned char>(b)));
        EXPECT_EQ(utf8_of(static_cast<unsigned char>(b)), iconv_utf8);
        KeyDecoder d;
        EXPECT_EQ(feed(d, utf8_of(static_cast<unsigned char>(b))), (Keys{b})) << "typed as UTF-8";
    }
    // The control bytes show as printable glyphs, never as themselves, and
    // typing one of those glyphs is no control key.
    for (int b : {0x00, 0x01, 0x07, 0x08, 0x0A, 0x0D, 0x1B, 0x7F}) {
        SCOPED_TRACE(b);
        std::string shown = utf8_of(static_cast<unsigned char>(b));
        for (char c : shown) EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
        KeyDecoder d;
        if (b != 0x00) {
            EXPECT_EQ(feed(d, shown), (Keys{'?'}));
        }
    }
    EXPECT_EQ(utf8_of(0x01), "\u263A");
    EXPECT_EQ(utf8_of(0x0A), "\u25D9");
    EXPECT_EQ(utf8_of(0x7F), "\u2302");
}

}  // namespace
}  // namespace versos::console
