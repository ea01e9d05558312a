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

// The code-page-850 characters that Windows-1252 lacks, and the Windows-1252
// look-alike the console table holds for each.
const std::map<int, int> kSubstitutes = [] {
    std::map<int, int> m;
    for (int c : {176, 177, 178, 179, 180, 185, 186, 204, 219, 254}) m[c] = 0xA6;
    for (int c : {187, 188, 191, 192, 195, 197, 200, 201, 206, 217, 218}) m[c] = 0x2B;
    for (int c : {193, 194, 196, 202, 203, 205}) m[c] = 0x2D;
    m[213] = 0x69;
    m[220] = 0x5F;
    m[223] = 0xAF;
    m[242] = 0x3D;
    return m;
}();

// One byte through iconv; the converted text, or "" if iconv refuses it.
std::string iconv_text(const char* to, const char* from, const std::string& in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv can't convert " << from << " to " << to;
        return "";
    }
    std::string src = in;
    char out[16];
    char* inp = src.data();
    std::size_t inleft = src.size();
    char* outp = out;
    std::size_t outleft = sizeof out;
    std::size_t r = iconv(cd, &inp, &inleft, &outp, &outleft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1) || inleft != 0) return "";
    return std::string(out, outp);
}

int iconv_byte(const char* to, const char* from, int byte) {
    std::string r = iconv_text(to, from, std::string(1, static_cast<char>(byte)));
    return r.size() == 1 ? static_cast<unsigned char>(r[0]) : -1;
}

std::string one(int byte) { return std::string(1, static_cast<char>(byte)); }

std::string win2dos_of(std::string s) {
    versos::win2dos(s.data());
    return s;
}

std::string dos2win_of(std::string s) {
    versos::dos2win(s.data());
    return s;
}

// Every byte 1..255 in order.
std::string all_bytes() {
    std::string s;
    for (int b = 1; b < 256; ++b) s += static_cast<char>(b);
    return s;
}

TEST(CodePages, Dos2winFollowsIconvAndKeepsWhatWindows1252Lacks) {
    for (int b = 1; b < 256; ++b) {
        int expected = iconv_byte("CP1252", "CP850", b);
        if (expected < 0) {
            EXPECT_TRUE(kSubstitutes.count(b)) << "iconv has no Windows-1252 byte for " << b;
            expected = b;
        } else {
            EXPECT_FALSE(kSubstitutes.count(b)) << "iconv maps " << b << " to " << expected;
        }
        EXPECT_EQ(dos2win_of(one(b)), one(expected)) << "code-page-850 byte " << b;
    }
}

TEST(CodePages, Win2dosFollowsIconvAndKeepsTheRestOf0x80To0x9F) {
    for (int b = 1; b < 256; ++b) {
        int expected = iconv_byte("CP850", "CP1252", b);
        bool kept = b >= 0x80 && b <= 0x9F && b != 0x83;
        EXPECT_EQ(expected < 0, kept) << "Windows-1252 byte " << b;
        if (expected < 0) expected = b;
        EXPECT_EQ(win2dos_of(one(b)), one(expected)) << "Windows-1252 byte " << b;
        // There and back restores every byte but the ones kept.
        std::string back = dos2win_of(win2dos_of(one(b)));
        EXPECT_EQ(back == one(b), !kept) << b;
    }
}

TEST(CodePages, TableConversionTakesTheFirstMatchingEntry) {
    // The console table rebuilt from iconv and the look-alikes.
    int table[128];
    for (int i = 0; i < 128; ++i) {
        int w = iconv_byte("CP1252", "CP850", 128 + i);
        table[i] = w >= 0 ? w : kSubstitutes.at(128 + i);
    }
    std::string expected;
    for (int b = 1; b < 256; ++b) {
        int code = b;
        if (b >= 128) {
            for (int i = 0; i < 128; ++i) {
                if (table[i] == b) {
                    code = 128 + i;
                    break;
                }
            }
        }
        EXPECT_EQ(versos::char2ascii_(b), code) << b;
        expected += static_cast<char>(code);
    }
    const std::string text = all_bytes();
    EXPECT_EQ(std::string(versos::str2ascii_(text.c_str())), expected);
    char buffer[256];
    versos::str_ascii_(buffer, text.c_str());
    EXPECT_EQ(std::string(buffer), expected);
    std::strcpy(buffer, text.c_str());
    versos::str_ascii_(buffer, buffer);
    EXPECT_EQ(std::string(buffer), expected);
}

TEST(CodePages, DocumentedExamples) {
    EXPECT_STREQ(versos::str2ascii_("a\xF1o"), "a\xA4o");
    EXPECT_EQ(win2dos_of("a\xF1o"), "a\xA4o");
    char buffer[4];
    versos::str_ascii_(buffer, "a\xF1o");
    EXPECT_STREQ(buffer, "a\xA4o");

    EXPECT_STREQ(versos::str2ascii_("\xA6"), "\xB0");
    EXPECT_STREQ(versos::str2ascii_("\xAF"), "\xDF");
    EXPECT_EQ(win2dos_of("\xA6\xAF"), "\xDD\xEE");
    EXPECT_EQ(versos::char2ascii_(0x69), 0x69);
    EXPECT_EQ(versos::char2ascii_(0x2B), 0x2B);
    EXPECT_EQ(versos::char2ascii_(0x80), 0x80);
    EXPECT_EQ(versos::char2ascii_(-31), -31);
    EXPECT_EQ(versos::char2ascii_(300), 300);
    EXPECT_EQ(dos2win_of("\xC4\xA4"), "\xC4\xF1");
}

TEST(CodePages, Str2asciiKeepsOneBufferValidUntilTheNextCall) {
    std::string long_text(100000, '\xE9');
    const char* first = versos::str2ascii_(long_text.c_str());
    EXPECT_EQ(first, versos::__ASCII_SPANISH_STR_);
    EXPECT_EQ(std::string(first), std::string(100000, '\x82'));

    const char* second = versos::str2ascii_("\xE1rbol");
    EXPECT_EQ(second, versos::__ASCII_SPANISH_STR_);
    EXPECT_STREQ(second, "\xA0rbol");

    // A previous result, or a text inside it, may be passed back in.
    versos::str2ascii_("ab\xE1");  // a-acute, 0xA0 in code page 850
    const char* again = versos::str2ascii_(versos::__ASCII_SPANISH_STR_);
    EXPECT_STREQ(again, "ab\xFF");  // 0xA0 read as Windows-1252: no-break space
    versos::str2ascii_("xy\xF1");
    EXPECT_STREQ(versos::str2ascii_(versos::__ASCII_SPANISH_STR_ + 2), "\xCF");

    EXPECT_STREQ(versos::str2ascii_(""), "");
}

TEST(CodePages, SpanishLowerCase) {
    char word[] = "\xC1RBOL";  // ÁRBOL
    EXPECT_EQ(versos::lcasespain_(word), 1);
    EXPECT_STREQ(word, "\xE1rbol");

    char plain[] = "Abc123XYZ";
    EXPECT_EQ(versos::lcasespain_(plain), 0);
    EXPECT_STREQ(plain, "abc123xyz");
    char blank[] = "AB C";
    EXPECT_EQ(versos::lcasespain_(blank), 1);
    char empty[] = "";
    EXPECT_EQ(versos::lcasespain_(empty), 0);

    // Every capital with grave, acute or diaeresis that the rule names, Ñ and
    // Ç; the other accented capitals stay.
    char spanish[] = "\xC0\xC1\xC8\xC9\xCC\xCD\xD2\xD3\xD9\xDA\xDC\xD1\xC7";
    EXPECT_EQ(versos::lcasespain_(spanish), 1);
    EXPECT_STREQ(spanish, "\xE0\xE1\xE8\xE9\xEC\xED\xF2\xF3\xF9\xFA\xFC\xF1\xE7");
    char others[] = "\xC2\xC3\xC4\xC5\xCA\xCB\xCE\xCF\xD4\xD5\xD6\xDB[@";
    std::string before = others;
    versos::lcasespain_(others);
    EXPECT_EQ(std::string(others), before);

    char acute[] = "\xC0\xC1\xC9\xCD\xD3\xDA\xD1\xDC\xC8\xCC\xD2\xD9\xC7Z";
    versos::lcasespainvoid_(acute);
    EXPECT_STREQ(acute, "\xC0\xE1\xE9\xED\xF3\xFA\xF1\xFC\xC8\xCC\xD2\xD9\xC7z");
}

TEST(CodePages, FoldingGivesTheTransliterationOfEachLetterItChanges) {
    // glibc transliterates by the tables of the locale in force.
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    std::string text = all_bytes();
    versos::simplificastr_(text.data());
    int changed = 0;
    for (int b = 1; b < 256; ++b) {
        char got = text[b - 1];
        if (got == static_cast<char>(b)) continue;
        ++changed;
        // glibc spells eth "d"; here it folds to "o".
        std::string expected = b == 0xF0 ? "o" : iconv_text("ASCII//TRANSLIT", "CP1252", one(b));
        EXPECT_EQ(one(got), expected) << "byte " << b;
    }
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(changed, 47);
    // Letters that stay as they are.
    char kept[] = "\xE3\xD9\xDA\xDB\xDD\xFD\xFF\xD8\xF8\xC6\xE6\xDF";
    std::string before = kept;
    versos::simplificastr_(kept);
    EXPECT_EQ(std::string(kept), before);
}

// Declarations of the form <!ENTITY name CDATA "&#number;" -- comment -->.
std::map<int, std::string> html4_latin1_entities() {
    std::ifstream in(VERSOS_HTML4_LATIN1_ENTITIES);
    std::map<int, std::string> names;
    std::string word;
    while (in >> word) {
        if (word != "<!ENTITY") continue;
        std::string name, kind, value;
        in >> name >> kind >> value;
        if (kind == "CDATA" && value.size() > 5 && value.compare(0, 3, "\"&#") == 0 &&
            value.compare(value.size() - 2, 2, ";\"") == 0)
            names[std::stoi(value.substr(3, value.size() - 5))] = name;
    }
    return names;
}

TEST(CodePages, HtmlEntitiesAreTheHtml4Names) {
    std::map<int, std::string> names = html4_latin1_entities();
    ASSERT_EQ(names.size(), 96u) << "entity set not found at " VERSOS_HTML4_LATIN1_ENTITIES;
    ASSERT_EQ(names.begin()->first, 0xA0);
    for (int c = 0; c < 256; ++c) {
        char target[9];
        std::memset(target, 'x', sizeof target);
        versos::car2html_(target, static_cast<char>(c));
        std::string expected = c >= 0xA1 ? "&" + names.at(c) + ";" : "";
        EXPECT_EQ(std::string(target), expected) << "character " << c;
    }
    char target[9];
    versos::car2html_(target, static_cast<char>(0xF1));
    EXPECT_STREQ(target, "&ntilde;");
}

}  // namespace
