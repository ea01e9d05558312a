// Integer routines: primes against a sieve, counts against Pascal's triangle,
// parsing and base conversion against the standard library.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <versos/util.h>

namespace {

using u64 = std::uint64_t;

// Smallest prime factor of every n below the limit.
std::vector<std::uint32_t> smallest_factor_sieve(std::uint32_t limit) {
    std::vector<std::uint32_t> spf(limit, 0);
    for (std::uint32_t i = 2; i < limit; ++i) {
        if (spf[i]) continue;
        for (std::uint32_t j = i; j < limit; j += i)
            if (!spf[j]) spf[j] = i;
    }
    return spf;
}

TEST(Primes, AgreeWithASieve) {
    // Far enough for primes to be decided past trial division by the first
    // thousand numbers.
    const std::uint32_t limit = 1u << 22;
    const auto spf = smallest_factor_sieve(limit);
    EXPECT_EQ(versos::primo_(0), 0u);
    EXPECT_EQ(versos::primo_(1), 1u);
    EXPECT_EQ(versos::primoinf_(0), 0u);
    EXPECT_EQ(versos::primoinf_(1), 1u);
    EXPECT_EQ(versos::primosup_(0), 0u);
    EXPECT_EQ(versos::primosup_(1), 1u);
    for (std::uint32_t n = 2; n < limit; ++n) ASSERT_EQ(versos::primo_(n), spf[n]) << n;

    // The neighbouring primes of every n up to 2^16, then of every 101st.
    std::vector<u64> primes;
    for (std::uint32_t n = 2; n < limit; ++n)
        if (spf[n] == n) primes.push_back(n);
    for (std::uint32_t n = 2; n < primes.back(); n += n < 65536 ? 1 : 101) {
        auto next = std::lower_bound(primes.begin(), primes.end(), n);
        ASSERT_EQ(versos::primosup_(n), *next) << n;
        ASSERT_EQ(versos::primoinf_(n), *next == n ? n : *(next - 1)) << n;
    }
    EXPECT_EQ(versos::primo_(91), 7u);
    EXPECT_EQ(versos::primo_(97), 97u);
    EXPECT_EQ(versos::primoinf_(100), 97u);
    EXPECT_EQ(versos::primosup_(90), 97u);
}

TEST(Primes, LargeNumbersAgreeWithTrialDivision) {
    std::mt19937_64 random(20240611);
    for (int i = 0; i < 60; ++i) {
        u64 n = (random() >> 24) | 1;  // odd, below 2^40
        u64 expected = n;
        for (u64 d = 3; d * d <= n; d += 2) {
            if (n % d == 0) {
                expected = d;
                break;
            }
        }
        ASSERT_EQ(versos::primo_(n), expected) << n;
    }
}

TEST(Primes, NearTheTopOf64Bits) {
    const u64 largest_prime = UINT64_MAX - 58;  // 2^64 - 59
    EXPECT_EQ(versos::primo_(largest_prime), largest_prime);
    EXPECT_EQ(versos::primoinf_(UINT64_MAX), largest_prime);
    EXPECT_EQ(versos::primosup_(largest_prime - 10), largest_prime);
    EXPECT_EQ(versos::primosup_(largest_prime + 1), 0u);  // wraps past 2^64 - 1 to 0
    EXPECT_EQ(versos::primo_(UINT64_MAX), 3u);            // 3 * 5 * 17 * 257 * 641 * 65537 * 6700417
    EXPECT_EQ(versos::primo_(UINT64_MAX - 1), 2u);

    const auto spf = smallest_factor_sieve(1000004);
    // Factors beyond the first thousand, one of them 2^31 - 1.
    ASSERT_EQ(spf[1000003], 1000003u);
    EXPECT_EQ(versos::primo_(u64{1000003} * 2147483647u), 1000003u);
    // A strong pseudoprime to the bases 2 to 23.
    ASSERT_EQ(spf[149491], 149491u);
    ASSERT_EQ(spf[747451], 747451u);
    EXPECT_EQ(versos::primo_(u64{149491} * 747451 * 34233211), 149491u);
}

// Pascal's triangle up to row 20, where the factorials are still exact.
TEST(Counts, AgreeWithPascalsTriangle) {
    u64 row[21] = {1};
    for (u64 n = 1; n <= 20; ++n) {
        for (u64 k = n; k > 0; --k) row[k] += row[k - 1];
        u64 falling = 1;
        for (u64 k = 1; k < n; ++k) {
            falling *= n - k + 1;
            EXPECT_EQ(versos::combinaciones_(n, k), row[k]) << n << " " << k;
            EXPECT_EQ(versos::variaciones_(n, k), falling) << n << " " << k;
        }
        EXPECT_EQ(versos::variaciones_(n, 0), 1u);
    }
    EXPECT_EQ(versos::factorial_(0), 0u);
    EXPECT_EQ(versos::factorial_(5), 120u);
    EXPECT_EQ(versos::permutaciones_(5), 120u);
    EXPECT_EQ(versos::factorial_(20), 2432902008176640000u);
    EXPECT_EQ(versos::combinaciones_(5, 2), 10u);
    EXPECT_EQ(versos::variaciones_(5, 2), 20u);
}

TEST(Counts, FactorialsWrapModulo2To64) {
    u64 product = 1;
    for (u64 n = 1; n <= 300; ++n) {
        product *= n;
        ASSERT_EQ(versos::factorial_(n), product) << n;
    }
    EXPECT_NE(versos::factorial_(65), 0u);
    EXPECT_EQ(versos::factorial_(66), 0u);
    EXPECT_EQ(versos::factorial_(UINT64_MAX), 0u);  // at once, not after 2^64 steps
}

TEST(Counts, ZeroDivisorsGiveZero) {
    EXPECT_EQ(versos::combinaciones_(5, 0), 0u);
    EXPECT_EQ(versos::combinaciones_(5, 5), 0u);
    EXPECT_EQ(versos::combinaciones_(5, 7), 0u);
    EXPECT_EQ(versos::combinaciones_(0, 0), 0u);
    EXPECT_EQ(versos::combinaciones_(200, 100), 0u);
    EXPECT_EQ(versos::variaciones_(5, 5), 0u);
    EXPECT_EQ(versos::variaciones_(3, 9), 0u);
    EXPECT_EQ(versos::variaciones_(0, 0), 0u);
    EXPECT_EQ(versos::variaciones_(100, 1), 0u);  // 99! wraps to 0

    EXPECT_EQ(versos::divisionentera_(7, 0), 0u);
    EXPECT_EQ(versos::resto_(7, 0), 7);
    EXPECT_EQ(versos::resto_(-7, 0), -7);
    EXPECT_EQ(versos::resto_(INT_MIN, -1), 0);
}

TEST(Division, TruncatesLikeTheLanguage) {
    for (int a : {-100, -7, -1, 0, 1, 6, 7, 100, INT_MAX, INT_MIN}) {
        for (int b : {-7, -3, -1, 1, 2, 3, 7, 1000}) {
            if (a == INT_MIN && b == -1) continue;
            EXPECT_EQ(versos::resto_(a, b), a % b) << a << " " << b;
        }
    }
    EXPECT_EQ(versos::resto_(-7, 3), -1);
    EXPECT_EQ(versos::divisionentera_(7, 2), 3u);
    EXPECT_EQ(versos::divisionentera_(UINT_MAX, 1), UINT_MAX);
}

TEST(Powers, RepeatedMultiplicationModuloTheWordSize) {
    for (int n = 0; n <= 19; ++n)
        EXPECT_EQ(versos::exp10_(n), std::stoull("1" + std::string(n, '0'))) << n;
    EXPECT_EQ(versos::exp10_(-5), 1u);
    EXPECT_EQ(versos::exp10_(20), 10u * 10000000000000000000u);  // wrapped
    EXPECT_NE(versos::exp10_(63), 0u);
    EXPECT_EQ(versos::exp10_(64), 0u);
    EXPECT_EQ(versos::exp10_(INT_MAX), 0u);

    EXPECT_EQ(versos::exp_(7, 0), 1u);
    EXPECT_EQ(versos::exp_(0, 0), 1u);
    EXPECT_EQ(versos::exp_(2, 63), u64{1} << 63);
    EXPECT_EQ(versos::exp_(2, 64), 0u);
    EXPECT_EQ(versos::exp_(3, 40), 12157665459056928801u);
    // Large exponents at once; b^(m+n) = b^m * b^n holds modulo 2^64.
    EXPECT_EQ(versos::exp_(3, 4000000000u), versos::exp_(3, 1000000000u) * versos::exp_(3, 3000000000u));
    EXPECT_EQ(versos::exp_(UINT32_MAX, 2), u64{UINT32_MAX} * UINT32_MAX);

    EXPECT_EQ(versos::potencia_(2, 10), 1024);
    EXPECT_EQ(versos::potencia_(-3, 3), -27);
    EXPECT_EQ(versos::potencia_(5, 0), 1);
    EXPECT_EQ(versos::potencia_(5, -2), 1);
    EXPECT_EQ(versos::potencia_(2, 31), INT_MIN);
    EXPECT_EQ(versos::potencia_(2, 32), 0);
    EXPECT_EQ(versos::potencia_(-1, INT_MAX), -1);
    EXPECT_EQ(versos::potencia_(3, 20), -808182895);  // 3^20 = 3486784401 wrapped
}

TEST(Fibonacci, FollowsThePairFrom0And1) {
    EXPECT_EQ(versos::fibonacci_(3), 1u);
    EXPECT_EQ(versos::fibonacci_(4), 2u);
    EXPECT_EQ(versos::fibonacci_(5), 3u);
    EXPECT_EQ(versos::fibonacci_(6), 5u);
    EXPECT_EQ(versos::fibonacci_(7), 8u);
    EXPECT_EQ(versos::fibonacci_(2), 1u);
    EXPECT_EQ(versos::fibonacci_(1), 0u);
    EXPECT_EQ(versos::fibonacci_(-4), 0u);
    u64 a = 0, b = 1;
    for (int n = 3; n <= 1000; ++n) {
        u64 value = a + b;
        a = b;
        b = value;
        ASSERT_EQ(versos::fibonacci_(n), value) << n;
    }
    // Far out, Cassini's identity F(k-1) F(k+1) - F(k)^2 = (-1)^k holds
    // modulo 2^64 (fibonacci_(n) is F(n - 1)).
    for (int n : {1000001, 123456790, INT_MAX - 2}) {
        u64 lhs = versos::fibonacci_(n) * versos::fibonacci_(n + 2) - versos::fibonacci_(n + 1) * versos::fibonacci_(n + 1);
        EXPECT_EQ(lhs, n % 2 ? UINT64_MAX : u64{1}) << n;
    }
}

TEST(Parsing, DecimalTextAgainstStrtoll) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 2000; ++i) {
        std::int64_t v = static_cast<std::int64_t>(random()) >> (random() % 63);
        std::string text = std::to_string(v);
        ASSERT_EQ(versos::atoll_(text.c_str()), std::strtoll(text.c_str(), nullptr, 10)) << text;
        if (v >= 0) {
            ASSERT_EQ(versos::atoull_(text.c_str()), std::strtoull(text.c_str(), nullptr, 10)) << text;
        }
    }
    EXPECT_EQ(versos::atoull_("18446744073709551615"), UINT64_MAX);
}

TEST(Parsing, RefusalsAndWrapping) {
    EXPECT_EQ(versos::atoll_("-42"), -42);
    EXPECT_EQ(versos::atoll_("4-2"), -1);
    EXPECT_EQ(versos::atoll_(""), 0);
    EXPECT_EQ(versos::atoll_("-"), 0);
    for (const char* bad : {"+5", " 5", "5 ", "--5", "1e3", "0x10", "12a"}) {
        EXPECT_EQ(versos::atoll_(bad), -1) << bad;
        EXPECT_EQ(versos::atoull_(bad), 0u) << bad;
    }
    EXPECT_EQ(versos::atoull_("-42"), 0u);
    EXPECT_EQ(versos::atoull_(""), 0u);
    EXPECT_EQ(versos::atoull_((std::string(70, '0') + "7").c_str()), 7u);
    EXPECT_EQ(versos::atoull_("18446744073709551616"), 0u);  // 2^64
    EXPECT_EQ(versos::atoull_("18446744073709551617"), 1u);
    EXPECT_EQ(versos::atoll_("9223372036854775808"), INT64_MIN);
    EXPECT_EQ(versos::atoll_("-9223372036854775808"), INT64_MIN);
    const std::string ten_to_80 = "1" + std::string(80, '0');  // 10^80 is 0 modulo 2^64
    EXPECT_EQ(versos::atoll_(ten_to_80.c_str()), 0);
}

std::string to_base(std::int32_t v, int base) {
    char buffer[40];
    auto r = base == 10 ? std::to_chars(buffer, buffer + sizeof buffer, v)
                        : std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint32_t>(v), base);
    return std::string(buffer, r.ptr);
}

TEST(BaseConversion, AgreesWithStrtolAndToChars) {
    std::mt19937 random(99);
    for (int i = 0; i < 3000; ++i) {
        std::int32_t v = static_cast<std::int32_t>(random()) >> (random() % 31);
        int from = 2 + static_cast<int>(random() % 35);
        int to = 2 + static_cast<int>(random() % 35);
        // Text in the source base as strtol reads it: blanks, a sign, digits
        // in either case.
        std::uint32_t magnitude = v < 0 ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
        char digits[33];
        std::string text = std::string(random() % 3, ' ') + (v < 0 ? "-" : random() % 2 ? "+" : "") +
                           std::string(digits, std::to_chars(digits, digits + sizeof digits, magnitude, from).ptr);
        if (random() % 2)
            for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        text += "!";
        ASSERT_EQ(std::strtol(text.c_str(), nullptr, from), v) << text << " base " << from;
        char target[33];
        ASSERT_EQ(versos::base2base_(text.c_str(), target, from, to), target);
        ASSERT_EQ(std::string(target), to_base(v, to)) << text << " base " << from << " to " << to;
    }
}

TEST(BaseConversion, RuntimeBehaviour) {
    char target[33];
    EXPECT_STREQ(versos::base2base_("ff", target, 16, 2), "11111111");
    EXPECT_STREQ(versos::base2base_("-1", target, 10, 16), "ffffffff");
    EXPECT_STREQ(versos::base2base_("-1", target, 10, 2), std::string(32, '1').c_str());
    EXPECT_STREQ(versos::base2base_("-255", target, 10, 10), "-255");
    EXPECT_STREQ(versos::base2base_("\t\n -0x1A", target, 16, 10), "-26");
    EXPECT_STREQ(versos::base2base_("0x1A", target, 0, 10), "26");
    EXPECT_STREQ(versos::base2base_("017", target, 0, 10), "15");
    EXPECT_STREQ(versos::base2base_("129", target, 8, 10), "10");
    EXPECT_STREQ(versos::base2base_("zz", target, 36, 10), "1295");
    EXPECT_STREQ(versos::base2base_("2147483648", target, 10, 10), "2147483647");
    EXPECT_STREQ(versos::base2base_("-2147483649", target, 10, 10), "-2147483648");
    EXPECT_STREQ(versos::base2base_("99999999999999999999999", target, 10, 16), "7fffffff");
    EXPECT_STREQ(versos::base2base_("-99999999999999999999999", target, 10, 16), "80000000");
    EXPECT_STREQ(versos::base2base_("", target, 10, 10), "0");
    EXPECT_STREQ(versos::base2base_("12", target, 1, 10), "0");
    EXPECT_STREQ(versos::base2base_("12", target, 37, 10), "0");
    for (int bad : {-1, 0, 1, 37}) EXPECT_STREQ(versos::base2base_("12", target, 10, bad), "") << bad;
}

TEST(CheckLetter, TakesTheRemainderBy23) {
    EXPECT_EQ(versos::letradni_(0), 'T');
    EXPECT_EQ(versos::letradni_(23), 'T');
    EXPECT_EQ(versos::letradni_(12345678), 'Z');
    EXPECT_EQ(versos::letradni_(14 + 23 * 1000), 'Z');
    EXPECT_EQ(versos::letradni_(22), 'E');
    EXPECT_EQ(versos::letradni_(UINT_MAX), 'B');  // 4294967295 = 23 * 186737708 + 11
}

class BinaryFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/versos-isbinary-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        for (const std::string& f : files_) std::remove(f.c_str());
        rmdir(dir_.c_str());
    }
    std::string write(const std::string& name, const std::string& bytes) {
        std::string path = dir_ + "/" + name;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (f) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        files_.push_back(path);
        return path;
    }
    std::string dir_;
    std::vector<std::string> files_;
};

TEST_F(BinaryFile, ControlBytesOtherThanTextLayout) {
    EXPECT_EQ(versos::isbinary_(write("empty", "").c_str()), 0);
    EXPECT_EQ(versos::isbinary_(write("text", "l\xEDnea\tuno\r\n\fdos\x7F\xFF\n").c_str()), 0);
    EXPECT_EQ(versos::isbinary_(write("vt", "a\vb").c_str()), 1);
    EXPECT_EQ(versos::isbinary_(write("nul", std::string("a\0b", 3)).c_str()), 1);
    EXPECT_EQ(versos::isbinary_(write("esc", "\x1B[0m").c_str()), 1);
    // Past the first blocks, and on the last byte of a block.
    std::string big(200000, 'x');
    EXPECT_EQ(versos::isbinary_(write("big", big).c_str()), 0);
    for (std::size_t at : {std::size_t{65535}, std::size_t{65536}, std::size_t{199999}}) {
        std::string bytes = big;
        bytes[at] = '\x01';
        EXPECT_EQ(versos::isbinary_(write("big" + std::to_string(at), bytes).c_str()), 1) << at;
    }
    EXPECT_EQ(versos::isbinary_((dir_ + "/missing").c_str()), -1);
    EXPECT_EQ(versos::isbinary_(dir_.c_str()), -1);  // a folder can't be read
}

}  // namespace
