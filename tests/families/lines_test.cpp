// Base lines (w), prepositional lines (C), comparative lines (D, E) and the
// verb and adjective lists (5, 6).
#include "core/two_row_tables.h"
#include "families/families.h"
#include "tests/families/fragments.h"

namespace versos::testing {
namespace {

TEST(BaseLines, TwoTimesInThreeAnEmptyItemFromOneDraw) {
    EXPECT_EQ(fragment(versobase, {1}), "");
    EXPECT_EQ(fragment(versobase, {2}), "");
    EXPECT_EQ(fragment(versobase, {32767}), "");  // 32767 % 3 == 1
}

TEST(BaseLines, OneDrawChoosesTheTableAndAnotherTheRow) {
    EXPECT_EQ(fragment(versobase, {0, 26, 10}), "Querido lector, ");  // k = 27: forms of address
    EXPECT_EQ(fragment(versobase, {0, 27, 0}), "A ratos, ");          // k = 28: the gerund table
    EXPECT_EQ(fragment(versobase, {0, 0, 18}), "Amigo, ");
    EXPECT_EQ(fragment(versobase, {0, 797, 770}), "Zozobrando, ");
}

TEST(BaseLines, SingleTableModesHaveNoComma) {
    EXPECT_EQ(entry(verso12, 770), "Zozobrando");
    EXPECT_EQ(entry(verso12bis, 26), w1252("Espléndido amigo"));
}

TEST(PrepositionalLines, AdjectiveAlone) {
    EXPECT_EQ(fragment(verso22, {0, 0}), "abigarrada");
    EXPECT_EQ(fragment(verso22, {0, 88}), "que camina");
    EXPECT_EQ(fragment(verso22, {0, 108}), "vulgar");
    EXPECT_EQ(fragment(verso22, {3, 5}), "alborozada");  // 3 % 3 == 0
}

TEST(PrepositionalLines, AdjectiveDeNounAndConOrSin) {
    EXPECT_EQ(fragment(verso22, {1, 8, 12}), "cargada de futuro");
    EXPECT_EQ(fragment(verso22, {1, 25, 0}), "sobreabundante de adocenamiento");
    EXPECT_EQ(fragment(verso22, {2, 0, 2}), "con amor");
    EXPECT_EQ(fragment(verso22, {2, 1, 41}), "sin soplo vital");
}

TEST(PrepositionalLines, SingleTableModes) {
    EXPECT_EQ(entry(verso22palabrassueltas, 89), w1252("que sueña"));
    EXPECT_EQ(entry(verso22futuro, 41), "soplo vital");
    EXPECT_EQ(entry(verso22cargada, 15), "libre");
    EXPECT_EQ(entry(verso22cargada, 16), "liberada");
}

TEST(ComparativeLines, PhraseAndArticle) {
    EXPECT_EQ(fragment(verso31tres, {4, 0}), "Como la");
    EXPECT_EQ(fragment(verso31tres, {28, 0}), "Es la");
    EXPECT_EQ(fragment(verso31tres, {3, 1}), "Casi tan intrincado como una");
    EXPECT_EQ(fragment(verso31tres, {43, 0}), "Pero no lo cambio por la");
}

TEST(ComparativeLines, PredicateQueArticle) {
    EXPECT_EQ(fragment(verso31cerounodos, {0, 0}), "Agrada menos que la");
    EXPECT_EQ(fragment(verso31cerounodos, {67, 1}), "Igual que una");
    EXPECT_EQ(fragment(verso31cerounodos, {21, 1}), "Es menos comprometido que una");
    EXPECT_EQ(fragment(verso31cerounodos, {124, 1}), w1252("No es más que una"));
}

TEST(ComparativeLines, SingleTableModes) {
    EXPECT_EQ(entry(verso31otroslauna, 63), "Vale lo que");
    EXPECT_EQ(entry(verso31agradamenosmas, 132), w1252("Vale más"));
    EXPECT_EQ(entry(verso31agradamenosmas, 127), "Se compromemete menos");
}

TEST(VerbAndAdjectiveLists, RowIsTheValueModuloTheTableSize) {
    EXPECT_EQ(entry(verso14, 0), "abaja");
    EXPECT_EQ(entry(verso14, 780), "abaja");
    EXPECT_EQ(entry(verso14, 549), "pone la espalda");
    EXPECT_EQ(entry(verso33, 362), w1252("útil"));
    EXPECT_EQ(entry(verso33, 363), "abandonada");
}

TEST(TwoRowTables, EvenValuesGiveRowZero) {
    EXPECT_EQ(entry(articulomasculinosingular, 32766), "el");
    EXPECT_EQ(entry(articulomasculinosingular, 32767), "un");
    EXPECT_EQ(entry(articulofemeninosingular, 4), "la");
    EXPECT_EQ(entry(articulofemeninosingular, 5), "una");
    EXPECT_EQ(entry(verso22con, 0), "con");
    EXPECT_EQ(entry(verso22con, 1), "sin");
    EXPECT_EQ(numPalabra, 1);
}

}  // namespace
}  // namespace versos::testing
