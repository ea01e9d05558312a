// Adverbial openers (mode x) and demonstrative openers (mode z).
#include <cctype>

#include "families/families.h"
#include "tests/families/fragments.h"

namespace versos::testing {
namespace {

TEST(AdverbialOpeners, OneTimeInTwentyTheDeterminerStandsAlone) {
    EXPECT_EQ(fragment(verso00, {0, 8}), "Definitivamente el");
    EXPECT_EQ(fragment(verso00, {20, 8}), "Definitivamente el");  // 20 % 20 == 0
}

TEST(AdverbialOpeners, AdverbThenDeterminerWithOneSpace) {
    EXPECT_EQ(fragment(verso00, {19, 0, 5}), w1252("A veces ningún"));
    EXPECT_EQ(fragment(verso00, {1, 326, 2}), "Cuando se le antoja el");
    EXPECT_EQ(fragment(verso00, {1, 1690, 5}), w1252("Zarrapastrosamente ningún"));
}

TEST(AdverbialOpeners, SingleTableModes) {
    EXPECT_EQ(entry(verso00aveces, 0), "A veces");
    EXPECT_EQ(entry(verso00aveces, 1690), "Zarrapastrosamente");
    EXPECT_EQ(entry(verso00aveces, 1691), "A veces");  // the draw is reduced modulo 1691
    for (int v = 0; v < 7; ++v) {
        const std::string lower = entry(verso00algun, v);
        EXPECT_FALSE(lower[0] >= 'A' && lower[0] <= 'Z') << lower;
    }
    for (int v = 0; v < 17; ++v) {
        const std::string upper = entry(verso00algunsinversosiguiente, v);
        EXPECT_TRUE(upper[0] >= 'A' && upper[0] <= 'Z') << upper;
    }
}

TEST(DemonstrativeOpeners, OneTimeInTenTheDeterminerStandsAlone) {
    EXPECT_EQ(fragment(nuevoindice01, {0, 3}), "Casi ninguna");
    EXPECT_EQ(fragment(nuevoindice01, {10, 3}), "Casi ninguna");
}

TEST(DemonstrativeOpeners, AdverbThenFeminineDeterminer) {
    EXPECT_EQ(fragment(nuevoindice01, {9, 0, 3}), "A veces la");
    EXPECT_EQ(fragment(nuevoindice01, {1, 1177, 5}), "Nunca toda");
    EXPECT_EQ(fragment(nuevoindice01, {1, 239, 0}), "Circunferencialmente aquella");
}

TEST(DemonstrativeOpeners, SingleTableModesKeepTheirCase) {
    for (int v = 0; v < 7; ++v) EXPECT_FALSE(std::isupper(static_cast<unsigned char>(entry(verso01aquella, v)[0])));
    for (int v = 0; v < 15; ++v) EXPECT_TRUE(std::isupper(static_cast<unsigned char>(entry(verso01unicas, v)[0])));
}

}  // namespace
}  // namespace versos::testing
