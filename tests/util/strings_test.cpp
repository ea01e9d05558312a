// String routines: documented examples and edge behaviour.
#include <versos/util.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace versos;

namespace {

// Runs an in-place routine on a copy of the text in a buffer of exactly
// text + room + 1 bytes (so that the sanitizers see any write past it).
template <typename F>
std::string in_place(const std::string& text, F routine, std::size_t room = 0) {
    std::vector<char> buf(text.size() + room + 1);
    std::memcpy(buf.data(), text.c_str(), text.size() + 1);
    routine(buf.data());
    return buf.data();
}

template <typename F>
std::string into(F routine) {
    char out[64] = "junk";
    routine(out);
    return out;
}

}  // namespace

TEST(Substrings, PositionsAndLimits) {
    EXPECT_EQ(into([](char* o) { mid_("abcdef", o, 2, 4); }), "bcd");
    for (auto [from, to] : {std::pair{0, 3}, {2, 0}, {4, 3}, {7, 9}})
        EXPECT_EQ(into([&](char* o) { mid_("abcdef", o, from, to); }), "") << from << ".." << to;
    EXPECT_EQ(into([](char* o) { mid2end_("abc", o, 3); }), "c");
    EXPECT_EQ(into([](char* o) { left_("ab", o, 10); }), "ab");
    EXPECT_EQ(into([](char* o) { right_("abcdef", o, 2); }), "ef");

    EXPECT_EQ(in_place("abcdef", [](char* t) { solomid2end_(t, 3); }), "cdef");
    EXPECT_EQ(in_place("abcdef", [](char* t) { sololeft_(t, 4); }), "abcd");
    // Cutting beyond the length writes nothing past the text's NUL.
    EXPECT_EQ(in_place("ab", [](char* t) { sololeft_(t, 5); }), "ab");
    EXPECT_EQ(in_place(
                  "xyz", [](char* t) { catleft_(t, t + 1); }, 2),
              "yzxyz");
    EXPECT_EQ(in_place(
                  "ab", [](char* t) { cat_(t, t); }, 2),
              "abab");
    EXPECT_EQ(into([](char* o) { rellenastr(o, '*', 3); }), "***");
}

TEST(Reversal, HeapCopyIsTheCallers) {
    char* copy = revstr("a\xe1z");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy,
                 "z\xe1"
                 "a");
    std::free(copy);
}

TEST(BlanksAndCase, HighBytesAreLetters) {
    const char* text = " \t\r\n\vx";
    EXPECT_EQ(ltrim(text), text + 4);  // only space, tab, LF and CR
    // 0x01..0x20 are blanks, 0xA0 (no-break space) and 0xE1 (á) are not.
    EXPECT_EQ(in_place("\x01\x1f \v\xa0x\xe1\x20\x09\x10", trim_), "\xa0x\xe1");
    EXPECT_EQ(in_place(" \t \n ", rtrim_), "");
    EXPECT_EQ(in_place("Mar \xa0rbol", mayuscula_), "MAR \xa0RBOL");

    EXPECT_EQ(lcasechr_(144), 130);
    EXPECT_EQ(ucasechr_(164), 165);
    EXPECT_EQ(static_cast<char>(lcasechr_(static_cast<char>(165))), static_cast<char>(164));
    EXPECT_EQ(ucasechr_(300), 300);
    // 7 accented pairs and 26 letters, each mapping back.
    int changed = 0;
    for (int c = 0; c < 256; ++c)
        if (ucasechr_(c) != c) {
            ++changed;
            EXPECT_EQ(lcasechr_(ucasechr_(c)), c);
        }
    EXPECT_EQ(changed, 33);
    EXPECT_EQ(in_place("\xa4o\xa2\x81", [](char* t) { ucasestr_(t, t); }), "\xa5O\xe0\x9a");
}

TEST(Search, Examples) {
    EXPECT_EQ(instrn_("banana", "an", 2), 3);
    EXPECT_EQ(instrabs_("banana", "an"), 2);
    EXPECT_EQ(instrabsn_("banana", "an", 3), 4);
    EXPECT_EQ(strcmp_("verso", "verso"), 1);
}

TEST(Removal, Examples) {
    EXPECT_EQ(in_place("  a   b  ", [](char* t) { crunch_(t, ' '); }), "a b");
    EXPECT_EQ(in_place(" ab ", [](char* t) { crunch_(t, '\0'); }), "ab");
    EXPECT_EQ(in_place("abcabc", [](char* t) { quitastr_(t, "bc", 0); }), "aa");
    EXPECT_EQ(in_place("abc", [](char* t) { quitastr_(t, "", 0); }), "abc");  // and it ends

    // Runs collapse only inside the window; a run crossing its edge keeps
    // a character on each side.
    int removed = 0;
    EXPECT_EQ(in_place("aaaaaaaaa", [&](char* t) { removed = qdupn_(t, 'a', 3, 6); }), "aaaaaa");
    EXPECT_EQ(removed, 3);
    EXPECT_EQ(in_place("x  y  z", [](char* t) { qdupn_(t, ' ', 4, 99); }), "x  y z");
    EXPECT_EQ(in_place("a  b", [](char* t) { qdupn_(t, ' ', 0, 4); }), "a  b");
}

TEST(Replacement, ExamplesAndCounts) {
    int result = 0;
    EXPECT_EQ(in_place("abc", [&](char* t) { result = cambiastr_(t, "b", "x"); }), "axc");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(in_place("abc", [&](char* t) { result = cambiastr_(t, "b", ""); }), "abc");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(in_place(
                  "aaa", [](char* t) { cmbstr_(t, "a", "aa", 0); }, 3),
              "aaaaaa");
    EXPECT_EQ(in_place("aaa", [&](char* t) { result = cmbstrn_(t, "a", "b", 0, 2); }), "bba");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(in_place("aaa", [&](char* t) { result = cmbstrn_(t, "a", "b", 0, -1); }), "bbb");
    EXPECT_EQ(result, -4);
    EXPECT_EQ(in_place("xyz", [&](char* t) { result = cmbstrn_(t, "", "b", 0, 5); }), "xyz");
    EXPECT_EQ(result, 5);
}

TEST(Replacement, EndsAndHasNoFixedLimits) {
    // Matches made by a replacement are replaced too...
    EXPECT_EQ(in_place("xabccc", [](char* t) { cambiastr_(t, "bc", "b"); }), "xab");
    // ...but a replacement holding what it replaces is passed over.
    EXPECT_EQ(in_place(
                  "a-a", [](char* t) { cambiastr_(t, "a", "aa"); }, 2),
              "aa-aa");
    EXPECT_EQ(in_place(
                  "<x><x>", [](char* t) { cambiastr_(t, "x", "<x>"); }, 4),
              "<<x>><<x>>");

    // Well past the old 512/1024-byte pieces and the 65,535-byte work area.
    const std::string x(3000, 'x');
    const std::string y(3000, 'y');
    EXPECT_EQ(in_place(
                  x + "OLD" + y, [](char* t) { cambiastr_(t, "OLD", "NEWER"); }, 2),
              x + "NEWER" + y);
    std::string doubled;
    for (int i = 0; i < 70000; ++i) doubled += "ab";
    EXPECT_EQ(in_place(
                  std::string(70000, 'a'), [](char* t) { cmbstr_(t, "a", "ab", 0); }, 70000),
              doubled);
}

TEST(Numbers, DigitStrings) {
    char a[8] = "999", b[8] = "1", r[8];
    sumastr_(r, a, b);
    EXPECT_STREQ(r, "1000");
    EXPECT_STREQ(b, "001");
    char e[8] = "1x5", f[8] = "2-";
    sumastr_(e, e, f);  // the result may be an operand
    EXPECT_STREQ(f, "020");
    EXPECT_STREQ(e, "125");

    for (int v : {0, 7, 10, 99, 100, 255})
        EXPECT_EQ(into([v](char* o) { uchar2str_(static_cast<unsigned char>(v), o); }), std::to_string(v));
}

TEST(Numbers, HexAndOctalWrapAt32Bits) {
    EXPECT_EQ(hex2dec_("FF"), 255);
    EXPECT_EQ(hex2dec_("1g"), 0);
    EXPECT_EQ(hex2dec_("ffffffff"), -1);
    EXPECT_EQ(hex2dec_("123456789"), 0x23456789);
    EXPECT_EQ(oct2dec_("17"), 15);
    EXPECT_EQ(oct2dec_("18"), 0);
    EXPECT_EQ(oct2dec_("20000000000"), -2147483648LL);
    // Against the C library's parser, reduced modulo 2^32.
    std::mt19937 rng(7);
    for (int round = 0; round < 2000; ++round) {
        std::string h, o;
        for (int i = 1 + static_cast<int>(rng() % 16); i > 0; --i) {
            h += "0123456789abcdefABCDEF"[rng() % 22];
            o += static_cast<char>('0' + rng() % 8);
        }
        EXPECT_EQ(hex2dec_(h.c_str()), static_cast<std::int32_t>(std::strtoull(h.c_str(), nullptr, 16))) << h;
        EXPECT_EQ(oct2dec_(o.c_str()), static_cast<std::int32_t>(std::strtoull(o.c_str(), nullptr, 8))) << o;
    }
}

TEST(Numbers, SquareRoot) {
    EXPECT_EQ(raiz_(0), 0);
    EXPECT_TRUE(std::isnan(raiz_(-1)));
    EXPECT_TRUE(std::isnan(raiz_(NAN)));
    EXPECT_EQ(raiz_(INFINITY), INFINITY);
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> exponent(-300, 300);
    for (int i = 0; i < 2000; ++i) {
        const double x = std::pow(10.0, exponent(rng));
        EXPECT_LE(std::fabs(raiz_(x) - std::sqrt(x)), std::sqrt(x) * 4e-16) << x;
    }
}
