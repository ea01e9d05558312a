// The random source and the conversion of the seed argument.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "core/random.h"
#include "core/seed.h"

namespace versos {
namespace {

TEST(RandomSource, ReproducesTheOriginalRuntimeSequence) {
    srand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected) EXPECT_EQ(rand(), value);
}

TEST(RandomSource, MatchesTheRecurrenceForAnySeed) {
    for (std::uint32_t seed : {0u, 12345u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        srand(seed);
        std::uint32_t state = seed;
        for (int i = 0; i < 1000; ++i) {
            state = state * 214013u + 2531011u;
            ASSERT_EQ(rand(), static_cast<int>((state >> 16) & 0x7FFF)) << "seed " << seed << " draw " << i;
        }
    }
}

TEST(RandomSource, ValuesStayWithin0And32767AndReachBoth) {
    srand(7);
    int low = 32767, high = 0;
    for (int i = 0; i < 200000; ++i) {
        const int v = rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 32767);
}

TEST(SeedConversion, AsTheRuntimeAtoi) {
    EXPECT_EQ(seed_from_text("42"), 42);
    EXPECT_EQ(seed_from_text("  \t\n42"), 42);
    EXPECT_EQ(seed_from_text("42abc"), 42);
    EXPECT_EQ(seed_from_text("4 2"), 4);
    EXPECT_EQ(seed_from_text("abc"), 0);
    EXPECT_EQ(seed_from_text(""), 0);
    EXPECT_EQ(seed_from_text("-"), 0);
    EXPECT_EQ(seed_from_text("+17"), 17);
    EXPECT_EQ(seed_from_text("-1"), -1);
    EXPECT_EQ(seed_from_text("--1"), 0);
    EXPECT_EQ(seed_from_text(" -0012"), -12);
}

TEST(SeedConversion, ValuesBeyondIntSaturate) {
    EXPECT_EQ(seed_from_text("2147483647"), INT_MAX);
    EXPECT_EQ(seed_from_text("2147483648"), INT_MAX);
    EXPECT_EQ(seed_from_text("99999999999999999999999999"), INT_MAX);
    EXPECT_EQ(seed_from_text("-2147483648"), INT_MIN);
    EXPECT_EQ(seed_from_text("-2147483649"), INT_MIN);
    EXPECT_EQ(seed_from_text("-99999999999999999999999999"), INT_MIN);
}

}  // namespace
}  // namespace versos
