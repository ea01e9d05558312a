// Code-page routines against glibc's iconv tables (CP850, CP1252) and the W3C
// HTML 4 Latin-1 entity set.
#include <gtest/gtest.h>
#include <iconv.h>

#include <clocale>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include <versos/util.h>

namespace {

// Look-alikes of the console table for the code-page-850 characters that
// Windows-1252 lacks.
std::map<int, int> substitutes() {
    std::map<int, int> m;
    for (int c : {176, 177, 178, 179, 180, 185, 186, 204, 219, 254}) m[c] = 0xA6;
    for (int c : {187, 188, 191, 192, 195, 197, 200, 201, 206, 217, 218}) m[c] = 0x2B;
    for (int c : {193, 194, 196, 202, 203, 205}) m[c] = 0x2D;
    m[213] = 0x69, m[220] = 0x5F, m[223] = 0xAF, m[242] = 0x3D;
    return m;
}

// One byte through iconv; "" if iconv refuses it.
std::string iconv_byte(const char* to, const char* from, int byte) {
    iconv_t cd = iconv_open(to, from);
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << from << " to " << to;
    char in[1] = {static_cast<char>(byte)}, out[16];
    char *inp = in, *outp = out;
    std::size_t inleft = 1, outleft = sizeof out;
    bool ok = iconv(cd, &inp, &inleft, &outp, &outleft) != static_cast<std::size_t>(-1);
    iconv_close(cd);
    return ok ? std::string(out, outp) : "";
}

std::string one(int byte) { return std::string(1, static_cast<char>(byte)); }

template <typename F>
std::string apply(F f, std::string s) {
    f(s.data());
    return s;
}

TEST(CodePages, PublishedMappingsBothWays) {
    const auto lacking = substitutes();
    for (int b = 1; b < 256; ++b) {
        std::string to_1252 = iconv_byte("CP1252", "CP850", b);
        EXPECT_EQ(to_1252.empty(), lacking.count(b) == 1) << b;
        EXPECT_EQ(apply(versos::dos2win, one(b)), to_1252.empty() ? one(b) : to_1252) << b;

        std::string to_850 = iconv_byte("CP850", "CP1252", b);
        bool kept = b >= 0x80 && b <= 0x9F && b != 0x83;
        EXPECT_EQ(to_850.empty(), kept) << b;
        EXPECT_EQ(apply(versos::win2dos, one(b)), kept ? one(b) : to_850) << b;
        EXPECT_EQ(apply(versos::dos2win, apply(versos::win2dos, one(b))) == one(b), !kept) << b;
    }
    EXPECT_EQ(apply(versos::dos2win, "\xC4\xA4"), "\xC4\xF1");
}

TEST(CodePages, TableConversionTakesTheFirstMatchingEntry) {
    const auto lacking = substitutes();
    int table[128];
    for (int i = 0; i < 128; ++i) {
        std::string w = iconv_byte("CP1252", "CP850", 128 + i);
        table[i] = w.empty() ? lacking.at(128 + i) : static_cast<unsigned char>(w[0]);
    }
    std::string text, expected;
    for (int b = 1; b < 256; ++b) {
        int code = b;
        for (int i = 0; b >= 128 && i < 128 && code == b; ++i)
            if (table[i] == b) code = 128 + i;
        EXPECT_EQ(versos::char2ascii_(b), code) << b;
        text += static_cast<char>(b);
        expected += static_cast<char>(code);
    }
    EXPECT_EQ(std::string(versos::str2ascii_(text.c_str())), expected);
    versos::str_ascii_(text.data(), text.c_str());
    EXPECT_EQ(text, expected);
    // The look-alikes 0xA6 and 0xAF also stand for 221 and 238, which win2dos
    // gives; the table gives the first entry.
    EXPECT_STREQ(versos::str2ascii_("a\xF1o\xA6\xAF"), "a\xA4o\xB0\xDF");
    EXPECT_EQ(apply(versos::win2dos, "a\xF1o\xA6\xAF"), "a\xA4o\xDD\xEE");
    EXPECT_EQ(versos::char2ascii_(-31), -31);
    EXPECT_EQ(versos::char2ascii_(300), 300);
}

TEST(CodePages, Str2asciiResultLastsUntilTheNextCall) {
    const char* first = versos::str2ascii_(std::string(100000, '\xE9').c_str());
    EXPECT_EQ(first, versos::__ASCII_SPANISH_STR_);
    EXPECT_EQ(std::string(first), std::string(100000, '\x82'));
    EXPECT_STREQ(versos::str2ascii_("\xE1rbol"), "\xA0rbol");
    // A previous result, or a text inside it, may be passed back in.
    EXPECT_STREQ(versos::str2ascii_(versos::__ASCII_SPANISH_STR_), "\xFFrbol");
    EXPECT_STREQ(versos::str2ascii_(versos::__ASCII_SPANISH_STR_ + 3), "ol");
}

TEST(CodePages, SpanishLowerCase) {
    char word[] = "\xC1RBOL";
    EXPECT_EQ(versos::lcasespain_(word), 1);
    EXPECT_STREQ(word, "\xE1rbol");
    char plain[] = "Abc123XYZ", blank[] = "AB C", empty[] = "";
    EXPECT_EQ(versos::lcasespain_(plain), 0);
    EXPECT_STREQ(plain, "abc123xyz");
    EXPECT_EQ(versos::lcasespain_(blank), 1);
    EXPECT_EQ(versos::lcasespain_(empty), 0);

    const std::string capitals =
        "\xC0\xC1\xC8\xC9\xCC\xCD\xD2\xD3\xD9\xDA\xDC\xD1\xC7\xC2\xC3\xC4\xC5\xCA\xCB\xCE\xCF\xD4\xD5\xD6\xDB";
    EXPECT_EQ(apply(versos::lcasespain_, capitals),
              "\xE0\xE1\xE8\xE9\xEC\xED\xF2\xF3\xF9\xFA\xFC\xF1\xE7\xC2\xC3\xC4\xC5\xCA\xCB\xCE\xCF\xD4\xD5\xD6\xDB");
    EXPECT_EQ(apply(versos::lcasespainvoid_, capitals + "Z"),
              "\xC0\xE1\xC8\xE9\xCC\xED\xD2\xF3\xD9\xFA\xFC\xF1\xC7\xC2\xC3\xC4\xC5\xCA\xCB\xCE\xCF\xD4\xD5\xD6\xDBz");
}

TEST(CodePages, FoldingGivesTheTransliterationOfEachLetterItChanges) {
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);  // glibc's transliteration tables
    int changed = 0;
    for (int b = 1; b < 256; ++b) {
        std::string folded = apply(versos::simplificastr_, one(b));
        if (folded == one(b)) continue;
        ++changed;
        // glibc spells eth "d"; here it folds to "o".
        EXPECT_EQ(folded, b == 0xF0 ? "o" : iconv_byte("ASCII//TRANSLIT", "CP1252", b)) << b;
    }
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(changed, 47);
    const char* kept = "\xE3\xD9\xDA\xDB\xDD\xFD\xFF\xD8\xF8\xC6\xE6\xDF";
    EXPECT_EQ(apply(versos::simplificastr_, kept), kept);
}

TEST(CodePages, HtmlEntitiesAreTheHtml4Names) {
    // Declarations of the form <!ENTITY name CDATA "&#number;" -- ... -->.
    std::ifstream in(VERSOS_HTML4_LATIN1_ENTITIES);
    std::map<int, std::string> names;
    for (std::string word, name, kind, value; in >> word;) {
        if (word != "<!ENTITY" || !(in >> name >> kind >> value)) continue;
        if (kind == "CDATA" && value.size() > 5 && value.compare(0, 3, "\"&#") == 0)
            names[std::stoi(value.substr(3))] = name;
    }
    ASSERT_EQ(names.size(), 96u) << "entity set not found at " VERSOS_HTML4_LATIN1_ENTITIES;
    ASSERT_EQ(names.begin()->first, 0xA0);
    for (int c = 0; c < 256; ++c) {
        char target[9];
        versos::car2html_(target, static_cast<char>(c));
        EXPECT_EQ(std::string(target), c >= 0xA1 ? "&" + names.at(c) + ";" : "") << c;
    }
}

}  // namespace
