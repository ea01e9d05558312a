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
#include <random>
#include <string>
#include <vector>

#include <versos/util.h>

#include "tests/support/files.h"

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
    // Far enough for primes to be decided past trial division by small numbers.
    const std::uint32_t limit = 1u << 22;
    const auto spf = smallest_factor_sieve(limit);
    std::vector<u64> primes = {1};  // 1 counts as a hit for the neighbours
    for (std::uint32_t n = 2; n < limit; ++n) {
        ASSERT_EQ(versos::primo_(n), spf[n]) << n;
        if (spf[n] == n) primes.push_back(n);
    }
    for (std::uint32_t n = 1; n < primes.back(); n += n < 65536 ? 1 : 101) {
        auto next = std::lower_bound(primes.begin(), primes.end(), n);
        ASSERT_EQ(versos::primosup_(n), *next) << n;
        ASSERT_EQ(versos::primoinf_(n), *next == n ? n : *(next - 1)) << n;
    }
    EXPECT_EQ(versos::primo_(0), 0u);
    EXPECT_EQ(versos::primoinf_(0), 0u);
    EXPECT_EQ(versos::primosup_(0), 0u);
    EXPECT_EQ(versos::primo_(1000003 * u64{2147483647}), 1000003u);       // both prime
    EXPECT_EQ(versos::primo_(u64{149491} * 747451 * 34233211), 149491u);  // strong pseudoprime to bases 2 to 23
}

TEST(Primes, NearTheTopOf64Bits) {
    const u64 largest_prime = UINT64_MAX - 58;  // 2^64 - 59
    EXPECT_EQ(versos::primo_(largest_prime), largest_prime);
    EXPECT_EQ(versos::primoinf_(UINT64_MAX), largest_prime);
    EXPECT_EQ(versos::primosup_(largest_prime - 10), largest_prime);
    EXPECT_EQ(versos::primosup_(largest_prime + 1), 0u);  // wraps to 0
    EXPECT_EQ(versos::primo_(UINT64_MAX), 3u);
}

TEST(Counts, AgreeWithPascalsTriangleWhileFactorialsAreExact) {
    u64 row[21] = {1};
    for (u64 n = 1; n <= 20; ++n) {
        for (u64 k = n; k > 0; --k) row[k] += row[k - 1];
        u64 falling = 1;
        for (u64 k = 1; k < n; ++k) {
            falling *= n - k + 1;
            EXPECT_EQ(versos::combinaciones_(n, k), row[k]) << n << " " << k;
            EXPECT_EQ(versos::variaciones_(n, k), falling) << n << " " << k;
        }
    }
    EXPECT_EQ(versos::factorial_(0), 0u);
    EXPECT_EQ(versos::permutaciones_(5), 120u);
    u64 product = 1;
    for (u64 n = 1; n <= 300; ++n) ASSERT_EQ(versos::factorial_(n), product *= n) << n;
    EXPECT_EQ(versos::factorial_(UINT64_MAX), 0u);  // at once, not after 2^64 steps
}

TEST(Counts, ZeroDivisorsGiveDefinedResults) {
    for (auto [n, k] : {std::pair<u64, u64>{5, 0}, {5, 5}, {5, 7}, {0, 0}, {200, 100}})
        EXPECT_EQ(versos::combinaciones_(n, k), 0u) << n << " " << k;
    for (auto [n, k] : {std::pair<u64, u64>{5, 5}, {3, 9}, {100, 1}})
        EXPECT_EQ(versos::variaciones_(n, k), 0u) << n << " " << k;
    EXPECT_EQ(versos::divisionentera_(7, 0), 0u);
    EXPECT_EQ(versos::divisionentera_(7, 2), 3u);
    EXPECT_EQ(versos::resto_(-7, 0), -7);
    EXPECT_EQ(versos::resto_(INT_MIN, -1), 0);
    EXPECT_EQ(versos::resto_(-7, 3), -1);
    EXPECT_EQ(versos::resto_(INT_MIN, 7), INT_MIN % 7);
}

TEST(Powers, RepeatedMultiplicationModuloTheWordSize) {
    for (int n = 0; n <= 19; ++n) EXPECT_EQ(versos::exp10_(n), std::stoull(std::string("1").append(n, '0'))) << n;
    EXPECT_EQ(versos::exp10_(-5), 1u);
    EXPECT_NE(versos::exp10_(63), 0u);
    EXPECT_EQ(versos::exp10_(64), 0u);
    EXPECT_EQ(versos::exp_(7, 0), 1u);
    EXPECT_EQ(versos::exp_(3, 40), 12157665459056928801u);
    EXPECT_EQ(versos::exp_(2, 64), 0u);
    EXPECT_EQ(versos::exp_(3, 4000000000u), versos::exp_(3, 1000000000u) * versos::exp_(3, 3000000000u));
    EXPECT_EQ(versos::potencia_(2, 10), 1024);
    EXPECT_EQ(versos::potencia_(-3, 3), -27);
    EXPECT_EQ(versos::potencia_(5, -2), 1);
    EXPECT_EQ(versos::potencia_(3, 20), -808182895);  // 3486784401 wrapped
    EXPECT_EQ(versos::potencia_(-1, INT_MAX), -1);
}

TEST(Fibonacci, FollowsThePairFrom0And1) {
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
    // modulo 2^64; fibonacci_(n) is F(n - 1).
    for (int n : {1000001, 123456790, INT_MAX - 2}) {
        u64 f = versos::fibonacci_(n + 1);
        EXPECT_EQ(versos::fibonacci_(n) * versos::fibonacci_(n + 2) - f * f, n % 2 ? UINT64_MAX : 1u) << n;
    }
}

TEST(Parsing, DecimalTextAgainstStrtoll) {
    std::mt19937_64 random(7);
    for (int i = 0; i < 2000; ++i) {
        std::string text = std::to_string(static_cast<std::int64_t>(random()) >> (random() % 63));
        ASSERT_EQ(versos::atoll_(text.c_str()), std::strtoll(text.c_str(), nullptr, 10)) << text;
        if (text[0] != '-') {
            ASSERT_EQ(versos::atoull_(text.c_str()), std::strtoull(text.c_str(), nullptr, 10)) << text;
        }
    }
    EXPECT_EQ(versos::atoll_("-42"), -42);
    EXPECT_EQ(versos::atoll_(""), 0);
    for (const char* bad : {"4-2", "+5", " 5", "--5", "12a"}) {
        EXPECT_EQ(versos::atoll_(bad), -1) << bad;
        EXPECT_EQ(versos::atoull_(bad), 0u) << bad;
    }
    EXPECT_EQ(versos::atoull_("-42"), 0u);
    EXPECT_EQ(versos::atoull_((std::string(70, '0') + "7").c_str()), 7u);
    EXPECT_EQ(versos::atoull_("18446744073709551617"), 1u);  // 2^64 + 1 wraps
    EXPECT_EQ(versos::atoll_("9223372036854775808"), INT64_MIN);
}

std::string digits_of(std::uint32_t v, int base) {
    char buffer[33];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, v, base).ptr);
}

TEST(BaseConversion, AgreesWithStrtolAndToChars) {
    std::mt19937 random(99);
    for (int i = 0; i < 3000; ++i) {
        const std::int32_t v = static_cast<std::int32_t>(random()) >> (random() % 31);
        const int from = 2 + static_cast<int>(random() % 35), to = 2 + static_cast<int>(random() % 35);
        const std::uint32_t magnitude = v < 0 ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
        std::string text(random() % 3, ' ');
        text.append(v < 0 ? "-" : "+").append(digits_of(magnitude, from)).append("!");
        if (random() % 2) std::transform(text.begin(), text.end(), text.begin(), ::toupper);
        ASSERT_EQ(std::strtol(text.c_str(), nullptr, from), v) << text;
        const std::string expected = to == 10 && v < 0 ? std::string("-").append(digits_of(magnitude, 10))
                                                       : digits_of(static_cast<std::uint32_t>(v), to);
        char target[33];
        ASSERT_EQ(versos::base2base_(text.c_str(), target, from, to), target);
        ASSERT_EQ(std::string(target), expected) << text << " base " << from << " to " << to;
    }
    char target[33];
    EXPECT_STREQ(versos::base2base_("ff", target, 16, 2), "11111111");
    EXPECT_STREQ(versos::base2base_("\t -0x1A", target, 16, 10), "-26");
    EXPECT_STREQ(versos::base2base_("0x1A", target, 0, 10), "26");
    EXPECT_STREQ(versos::base2base_("017", target, 0, 10), "15");
    EXPECT_STREQ(versos::base2base_("2147483648", target, 10, 10), "2147483647");
    EXPECT_STREQ(versos::base2base_("-99999999999999999999", target, 10, 16), "80000000");
    EXPECT_STREQ(versos::base2base_("12", target, 37, 10), "0");
    for (int bad : {0, 1, 37}) EXPECT_STREQ(versos::base2base_("12", target, 10, bad), "") << bad;
}

TEST(CheckLetter, TakesTheRemainderBy23) {
    EXPECT_EQ(versos::letradni_(12345678), 'Z');
    EXPECT_EQ(versos::letradni_(23), 'T');
    EXPECT_EQ(versos::letradni_(UINT_MAX), 'B');  // remainder 11
}

TEST(BinaryFile, ControlBytesOtherThanTextLayout) {
    const versos::testing::TempFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir / "f";
    auto check = [&](const std::string& bytes) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return versos::isbinary_(path.c_str());
    };
    EXPECT_EQ(check(""), 0);
    EXPECT_EQ(check("l\xEDnea\tuno\r\n\fdos\x7F\xFF\n"), 0);
    EXPECT_EQ(check("a\vb"), 1);
    EXPECT_EQ(check(std::string("a\0b", 3)), 1);
    std::string big(200000, 'x');
    EXPECT_EQ(check(big), 0);
    for (std::size_t at : {65535, 65536, 199999}) {  // across and at the end of 64 KiB blocks
        std::string bytes = big;
        bytes[at] = '\x1B';
        EXPECT_EQ(check(bytes), 1) << at;
    }
    std::remove(path.c_str());
    EXPECT_EQ(versos::isbinary_(path.c_str()), -1);
    EXPECT_EQ(versos::isbinary_(dir.path().c_str()), -1);  // a folder opens but can't be read
}

}  // namespace
