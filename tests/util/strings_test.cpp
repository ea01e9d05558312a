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

// A text in a buffer with room to grow.
struct Buf {
    std::vector<char> bytes;
    explicit Buf(const std::string& text, std::size_t room = 64) : bytes(text.size() + room + 1, '\x7f')
    {
        std::memcpy(bytes.data(), text.c_str(), text.size() + 1);
    }
    char* p() { return bytes.data(); }
    std::string s() const { return bytes.data(); }
};

}  // namespace

TEST(Substrings, LeftRightMidAndMid2end)
{
    char out[32];
    left_("abcdef", out, 2);
    EXPECT_STREQ(out, "ab");
    left_("ab", out, 10);
    EXPECT_STREQ(out, "ab");
    left_("ab", out, 0);
    EXPECT_STREQ(out, "");
    right_("abcdef", out, 2);
    EXPECT_STREQ(out, "ef");
    right_("ab", out, 5);
    EXPECT_STREQ(out, "ab");
    right_("ab", out, -1);
    EXPECT_STREQ(out, "");

    mid_("abcdef", out, 2, 4);
    EXPECT_STREQ(out, "bcd");
    mid_("abcdef", out, 5, 99);
    EXPECT_STREQ(out, "ef");
    mid_("abcdef", out, 4, 4);
    EXPECT_STREQ(out, "d");
    for (auto [from, to] : {std::pair{0, 3}, {2, 0}, {4, 3}, {7, 9}}) {
        std::strcpy(out, "junk");
        mid_("abcdef", out, from, to);
        EXPECT_STREQ(out, "") << from << ".." << to;
    }

    mid2end_("abc", out, 3);
    EXPECT_STREQ(out, "c");
    mid2end_("abc", out, 1);
    EXPECT_STREQ(out, "abc");
    mid2end_("abc", out, 4);
    EXPECT_STREQ(out, "");
    mid2end_("abc", out, 0);
    EXPECT_STREQ(out, "");
}

TEST(Substrings, InPlaceForms)
{
    char t[16] = "abcdef";
    mid_(t, t, 3, 5);
    EXPECT_STREQ(t, "cde");
    std::strcpy(t, "abcdef");
    solomid2end_(t, 3);
    EXPECT_STREQ(t, "cdef");
    solomid2end_(t, 9);
    EXPECT_STREQ(t, "");

    std::strcpy(t, "abcdef");
    sololeft_(t, 4);
    EXPECT_STREQ(t, "abcd");
    // Beyond the length: the bytes after the NUL are not touched.
    char u[8] = {'a', 'b', '\0', 'X', 'Y', 'Z', 'W', '\0'};
    sololeft_(u, 5);
    EXPECT_STREQ(u, "ab");
    EXPECT_EQ(std::string(u + 3, 4), "XYZW");
    sololeft_(u, 0);
    EXPECT_STREQ(u, "");
}

TEST(Concatenation, CatCatleftAndFill)
{
    Buf t("verso");
    cat_(t.p(), " libre");
    EXPECT_EQ(t.s(), "verso libre");
    catleft_(t.p(), "un ");
    EXPECT_EQ(t.s(), "un verso libre");

    Buf self("ab");
    cat_(self.p(), self.p());
    EXPECT_EQ(self.s(), "abab");
    catleft_(self.p(), self.p() + 2);  // prefix taken from the text itself
    EXPECT_EQ(self.s(), "ababab");
    Buf self2("xyz");
    catleft_(self2.p(), self2.p() + 1);
    EXPECT_EQ(self2.s(), "yzxyz");

    char fill[8];
    rellenastr(fill, '*', 3);
    EXPECT_STREQ(fill, "***");
    rellenastr(fill, '*', -2);
    EXPECT_STREQ(fill, "");
}

TEST(Reversal, InPlaceAndHeapCopy)
{
    char t[8] = "abcd";
    revstr_(t);
    EXPECT_STREQ(t, "dcba");
    std::strcpy(t, "abc");
    revstr_(t);
    EXPECT_STREQ(t, "cba");
    std::strcpy(t, "");
    revstr_(t);
    EXPECT_STREQ(t, "");

    char* copy = revstr("a\xe1z");
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "z\xe1" "a");
    std::free(copy);  // the copy is the caller's, released with free
    char* empty = revstr("");
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    std::free(empty);
}

TEST(Trims, BlankSetsAndHighBytes)
{
    // ltrim skips only space, tab, line feed and carriage return.
    const char* text = " \t\r\n\vx";
    EXPECT_EQ(ltrim(text), text + 4);
    char same[] = "abc";
    EXPECT_EQ(ltrim(same), same);

    // The in-place trims take every byte from 0x01 to 0x20 as a blank, and no
    // byte from 0x80 up (0xA0 is a no-break space in Windows-1252, 0xE1 is á).
    Buf t("\x01\x1f \v\xa0x\xe1\x20\x09\x10");
    trim_(t.p());
    EXPECT_EQ(t.s(), "\xa0x\xe1");
    Buf r("  a b  ");
    rtrim_(r.p());
    EXPECT_EQ(r.s(), "  a b");
    ltrim_(r.p());
    EXPECT_EQ(r.s(), "a b");
    Buf blanks(" \t \n ");
    rtrim_(blanks.p());
    EXPECT_EQ(blanks.s(), "");
}

TEST(Case, AsciiAndCodePage850)
{
    Buf t("Mar y \xa0rbol\x82z");
    mayuscula_(t.p());
    EXPECT_EQ(t.s(), "MAR Y \xa0RBOL\x82Z");
    minuscula_(t.p());
    EXPECT_EQ(t.s(), "mar y \xa0rbol\x82z");

    EXPECT_EQ(lcasechr_(144), 130);
    EXPECT_EQ(ucasechr_(164), 165);
    EXPECT_EQ(ucasechr_('q'), 'Q');
    EXPECT_EQ(lcasechr_('Q'), 'q');
    // Signed char values keep their form.
    const char upper_n = static_cast<char>(165);
    EXPECT_EQ(static_cast<char>(lcasechr_(upper_n)), static_cast<char>(164));
    EXPECT_LT(lcasechr_(upper_n), 0);
    // Values outside a byte, and bytes without a pair, are unchanged.
    EXPECT_EQ(lcasechr_(-1000), -1000);
    EXPECT_EQ(ucasechr_(300), 300);
    EXPECT_EQ(ucasechr_(0xE1), 0xE1);  // only code page 850 pairs are known

    // The table is a set of pairs: each of the 7 accented pairs and 26
    // letters maps both ways, and nothing else changes.
    int changed_lower = 0;
    int changed_upper = 0;
    for (int c = 0; c < 256; ++c) {
        if (lcasechr_(c) != c) {
            ++changed_lower;
            EXPECT_EQ(ucasechr_(lcasechr_(c)), c) << c;
        }
        if (ucasechr_(c) != c) {
            ++changed_upper;
            EXPECT_EQ(lcasechr_(ucasechr_(c)), c) << c;
        }
    }
    EXPECT_EQ(changed_lower, 33);
    EXPECT_EQ(changed_upper, 33);

    char out[16];
    ucasestr_(out, "\xa4o\xa2\x81");
    EXPECT_STREQ(out, "\xa5O\xe0\x9a");
    lcasestr_(out, out);
    EXPECT_STREQ(out, "\xa4o\xa2\x81");
}

TEST(Search, PositionsAndEmptyParts)
{
    EXPECT_EQ(instrn_("banana", "an", 2), 3);
    EXPECT_EQ(instrabs_("banana", "an"), 2);
    EXPECT_EQ(instrabsn_("banana", "an", 3), 4);
    EXPECT_EQ(instrabsn_("banana", "an", 0), 0);
    EXPECT_EQ(instrabs_("banana", "x"), 0);
    EXPECT_EQ(instrn_("banana", "na", 5), -1);
    EXPECT_EQ(instrn_("banana", "a", 99), -1);
    EXPECT_EQ(instrn_("banana", "ban", -5), 0);
    EXPECT_EQ(instrabs_("ab", "abc"), 0);

    // An empty part matches at the first allowed place of a non-empty text.
    EXPECT_EQ(instrn_("abc", "", 1), 1);
    EXPECT_EQ(instrabs_("abc", ""), 1);
    EXPECT_EQ(instrabs_("", ""), 0);
    EXPECT_EQ(instrn_("abc", "", 3), -1);

    EXPECT_EQ(strcmp_("verso", "verso"), 1);
    EXPECT_EQ(igualstr_("verso", "versos"), 0);
    EXPECT_EQ(igualstr_("", ""), 1);
}

TEST(Removal, CharactersRunsAndDuplicates)
{
    Buf t("a   b");
    qdup_(t.p(), ' ');
    EXPECT_EQ(t.s(), "a b");
    Buf c("  a   b  ");
    crunch_(c.p(), ' ');
    EXPECT_EQ(c.s(), "a b");
    Buf c2("--a---b-");
    crunch_(c2.p(), '-');
    EXPECT_EQ(c2.s(), "-a-b-");
    // A NUL "run" is nothing to collapse: only the trim happens.
    Buf c3(" ab ");
    crunch_(c3.p(), '\0');
    EXPECT_EQ(c3.s(), "ab");

    Buf d("abracadabra");
    sindupstr_(d.p());
    EXPECT_EQ(d.s(), "abrcd");
    Buf d2("mississippi");
    sindupstrbis_(d2.p());
    EXPECT_EQ(d2.s(), "misp");

    Buf q("abcabc");
    quitastr_(q.p(), "bc", 0);
    EXPECT_EQ(q.s(), "aa");
    Buf q2("abcabc");
    quitastr_(q2.p(), "bc", 2);
    EXPECT_EQ(q2.s(), "abca");
    Buf q3("abc");
    quitastr_(q3.p(), "", 0);  // nothing to remove, and no endless loop
    EXPECT_EQ(q3.s(), "abc");

    Buf v("tres tristes tigres");
    quitavarioschar_(v.p(), "st ");
    EXPECT_EQ(v.s(), "rerieigre");
    Buf w("a.b.c");
    quitachar(w.p(), '.');
    EXPECT_EQ(w.s(), "abc");
    cambiachar_(w.p(), 'b', 'B');
    EXPECT_EQ(w.s(), "aBc");
}

TEST(Removal, RunsWithinAWindow)
{
    //          positions 123456789
    Buf t("aaaaaaaaa");
    EXPECT_EQ(qdupn_(t.p(), 'a', 3, 6), 3);
    EXPECT_EQ(t.s(), "aaaaaa");  // aa + a + aaa

    Buf u("x  y  z  w");
    EXPECT_EQ(qdupn_(u.p(), ' ', 4, 99), 2);
    EXPECT_EQ(u.s(), "x  y z w");
    // A run crossing the window's start keeps its part outside.
    Buf v("a    b");
    EXPECT_EQ(qdupn_(v.p(), ' ', 3, 6), 2);
    EXPECT_EQ(v.s(), "a  b");
    for (auto [from, to] : {std::pair{0, 4}, {3, 0}, {5, 4}, {40, 50}}) {
        Buf same("a    b");
        EXPECT_EQ(qdupn_(same.p(), ' ', from, to), 0);
        EXPECT_EQ(same.s(), "a    b");
    }
}

TEST(Replacement, ExamplesAndCounts)
{
    Buf t("abc");
    EXPECT_EQ(cambiastr_(t.p(), "b", "x"), -1);
    EXPECT_EQ(t.s(), "axc");
    Buf a("aaa");
    cmbstr_(a.p(), "a", "aa", 0);
    EXPECT_EQ(a.s(), "aaaaaa");
    Buf a1("aaa");
    cmbstr_(a1.p(), "a", "X", 1);
    EXPECT_EQ(a1.s(), "aXX");

    Buf b("aaa");
    EXPECT_EQ(cmbstrn_(b.p(), "a", "b", 0, 2), 0);
    EXPECT_EQ(b.s(), "bba");
    Buf b2("aaa");
    EXPECT_EQ(cmbstrn_(b2.p(), "a", "b", 0, -1), -4);
    EXPECT_EQ(b2.s(), "bbb");
    Buf b3("aaa");
    EXPECT_EQ(cmbstrn_(b3.p(), "a", "b", 0, 5), 2);
    Buf b4("xyz");
    EXPECT_EQ(cmbstrn_(b4.p(), "", "b", 0, 5), 5);  // empty old: nothing done
    EXPECT_EQ(b4.s(), "xyz");

    // Empty arguments return at once.
    Buf e("abc");
    EXPECT_EQ(cambiastr_(e.p(), "", "x"), 0);
    EXPECT_EQ(cambiastr_(e.p(), "b", ""), 0);
    EXPECT_EQ(e.s(), "abc");
    char empty[4] = "";
    EXPECT_EQ(cambiastr_(empty, "b", "x"), 0);
}

TEST(Replacement, UntilNoneIsLeft)
{
    // Each round searches again, so matches made by a replacement count.
    Buf t("aaab");
    EXPECT_EQ(cambiastr_(t.p(), "ab", "b"), -1);
    EXPECT_EQ(t.s(), "b");
    Buf u("xabccc");
    cambiastr_(u.p(), "bc", "b");
    EXPECT_EQ(u.s(), "xab");

    // A replacement that holds what it replaces ends after one pass.
    Buf v("a-a", 16);
    EXPECT_EQ(cambiastr_(v.p(), "a", "aa"), -1);
    EXPECT_EQ(v.s(), "aa-aa");
    Buf w("<x><x>", 16);
    cambiastr_(w.p(), "x", "<x>");
    EXPECT_EQ(w.s(), "<<x>><<x>>");
}

TEST(Replacement, LongTextsHaveNoFixedLimit)
{
    // Texts well past the old 512/1024-byte pieces and 65,535-byte work area.
    const std::string text = std::string(3000, 'x') + "OLD" + std::string(3000, 'y');
    Buf t(text, 16);
    EXPECT_EQ(cambiastr_(t.p(), "OLD", "NEWER"), -1);
    EXPECT_EQ(t.s(), std::string(3000, 'x') + "NEWER" + std::string(3000, 'y'));

    const std::string many(70000, 'a');
    Buf m(many, many.size() + 1);
    EXPECT_EQ(cmbstrn_(m.p(), "a", "ab", 0, -1), -70001);
    EXPECT_EQ(m.s().size(), 140000u);
    EXPECT_EQ(m.s().substr(139996), "abab");
    EXPECT_EQ(m.bytes[140001], '\x7f');  // nothing written past the result
}

TEST(Numbers, SumOfDigitStrings)
{
    char a[8] = "999";
    char b[8] = "1";
    char r[8];
    sumastr_(r, a, b);
    EXPECT_STREQ(r, "1000");
    EXPECT_STREQ(b, "001");

    char c[8] = "007";
    char d[8] = "1";
    sumastr_(r, c, d);
    EXPECT_STREQ(r, "008");

    // Non-digits count as zeros and are replaced in place.
    char e[8] = "1x5";
    char f[8] = "2-";
    sumastr_(r, e, f);
    EXPECT_STREQ(e, "105");
    EXPECT_STREQ(f, "020");
    EXPECT_STREQ(r, "125");

    // The result may be one of the operands.
    char g[8] = "95";
    char h[8] = "7";
    sumastr_(g, g, h);
    EXPECT_STREQ(g, "102");
}

TEST(Numbers, ByteToDecimal)
{
    char out[4];
    for (int v = 0; v < 256; ++v) {
        uchar2str_(static_cast<unsigned char>(v), out);
        EXPECT_EQ(std::string(out), std::to_string(v));
    }
}

TEST(Numbers, HexAndOctal)
{
    EXPECT_EQ(hex2dec_("FF"), 255);
    EXPECT_EQ(hex2dec_("1g"), 0);
    EXPECT_EQ(hex2dec_("ffffffff"), -1);
    EXPECT_EQ(hex2dec_("7fffffff"), 2147483647);
    EXPECT_EQ(hex2dec_("80000000"), -2147483648LL);
    EXPECT_EQ(hex2dec_("123456789"), 0x23456789);  // the ninth digit adds nothing
    EXPECT_EQ(hex2dec_(""), 0);
    EXPECT_EQ(hex2dec_("0x10"), 0);
    EXPECT_EQ(oct2dec_("17"), 15);
    EXPECT_EQ(oct2dec_("18"), 0);
    EXPECT_EQ(oct2dec_("7777777777"), 07777777777);
    EXPECT_EQ(oct2dec_("10000000000"), 1LL << 30);
    EXPECT_EQ(oct2dec_("20000000000"), -2147483648LL);

    // Against the C library's parser, reduced the same way.
    std::mt19937 rng(7);
    const char hex[] = "0123456789abcdefABCDEF";
    for (int round = 0; round < 2000; ++round) {
        std::string h;
        const int n = 1 + static_cast<int>(rng() % 16);
        for (int i = 0; i < n; ++i)
            h += hex[rng() % 22];
        const auto value = static_cast<std::uint32_t>(std::strtoull(h.c_str(), nullptr, 16));
        EXPECT_EQ(hex2dec_(h.c_str()), static_cast<std::int32_t>(value)) << h;
        std::string o;
        for (int i = 0; i < n; ++i)
            o += static_cast<char>('0' + rng() % 8);
        const auto ovalue = static_cast<std::uint32_t>(std::strtoull(o.c_str(), nullptr, 8));
        EXPECT_EQ(oct2dec_(o.c_str()), static_cast<std::int32_t>(ovalue)) << o;
    }
}

TEST(Numbers, SquareRootAndPowers)
{
    EXPECT_EQ(raiz_(0), 0);
    EXPECT_EQ(raiz_(4), 2);
    EXPECT_EQ(raiz_(1), 1);
    EXPECT_TRUE(std::isnan(raiz_(-1)));
    EXPECT_TRUE(std::isnan(raiz_(NAN)));
    EXPECT_EQ(raiz_(INFINITY), INFINITY);
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> exponent(-300, 300);
    for (int i = 0; i < 2000; ++i) {
        const double x = std::pow(10.0, exponent(rng));
        const double expected = std::sqrt(x);
        EXPECT_LE(std::fabs(raiz_(x) - expected), expected * 4e-16) << x;
    }
    EXPECT_EQ(cuadrado_(-3), 9);
    EXPECT_EQ(cubo_(-2), -8);
    EXPECT_EQ(len_("abc"), 3);
    EXPECT_EQ(lencadena_(""), 0);
}
