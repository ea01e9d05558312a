// Genitive pairs (mode y) and reversible noun phrases (mode A).
#include "families/families.h"
#include "tests/families/fragments.h"

namespace versos::testing {
namespace {

TEST(GenitivePairs, ThreeWordShapeForTheFirstThreeValues) {
    EXPECT_EQ(fragment(tomaindice10, {0, 0, 34, 1}), "abad del amor carnal");
    EXPECT_EQ(fragment(tomaindice10, {2, 0, 34, 1}), "abad del amor carnal");  // r = 2 still draws four
}

TEST(GenitivePairs, TwoWordShapes) {
    EXPECT_EQ(fragment(tomaindice10, {3, 20, 34}), "ave de paso del amor");
    EXPECT_EQ(fragment(tomaindice10, {5, 115, 0}), w1252("árbol del allá tú"));
    EXPECT_EQ(fragment(tomaindice10, {6, 19, 47}), "yo soy del diablo");  // reversed: amor first
}

TEST(GenitivePairs, LongestPairFitsWithOneSpaceBetweenItems) {
    const std::string longest = fragment(tomaindice10, {0, 0, 0, 0});
    EXPECT_EQ(longest.find("  "), std::string::npos);
    EXPECT_NE(longest.front(), ' ');
    EXPECT_NE(longest.back(), ' ');
}

TEST(ReversiblePhrases, LoneNounOrReadyMadePhrase) {
    EXPECT_EQ(fragment(nuevoindice11, {0, 11}), "Afrodita");
    EXPECT_EQ(fragment(nuevoindice11, {1, 1}), w1252("bondad intrínseca de la naturaleza"));
    EXPECT_EQ(fragment(nuevoindice11, {11, 121}), w1252("maldad intrínseca de la naturaleza"));
}

TEST(ReversiblePhrases, NounAndAdjectiveInEitherOrder) {
    EXPECT_EQ(fragment(nuevoindice11, {2, 0, 0, 0, 34}), "abadesa abandonada del amor");
    EXPECT_EQ(fragment(nuevoindice11, {2, 1, 0, 0, 34}), "abandonada abadesa del amor");
    EXPECT_EQ(fragment(nuevoindice11, {9, 2, 42, 19}), "Atenea del yo soy");
}

TEST(ReversiblePhrases, SingleTableModes) {
    EXPECT_EQ(entry(verso11reversibles1, 677), w1252("íntima"));
    EXPECT_EQ(entry(verso11reversibles1, 678), "abadesa");
    EXPECT_EQ(entry(verso11unicasnoreversibles1, 1), w1252("bondad intrínseca de la naturaleza"));
}

TEST(ReversiblePhrases, ShortEntryAfterLongLeavesNothingOfTheOlder) {
    ScriptedDraws script({1, 0});
    verso11unicasnoreversibles1();
    verso11reversibles1();
    EXPECT_STREQ(palabra, "abadesa");
}

}  // namespace
}  // namespace versos::testing
