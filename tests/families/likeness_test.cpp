// Likeness lines (mode B) and the nine likeness word tables.
#include "families/families.h"
#include "tests/families/fragments.h"

namespace versos::testing {
namespace {

TEST(LikenessLines, TemplatesThatAppend) {
    EXPECT_EQ(fragment(verso21, {0, 32, 0, 2, 0}), "acorde con el aspecto de la");
    EXPECT_EQ(fragment(verso21, {15, 32, 0, 2, 0}), "acorde con el aspecto de la");  // 15 % 15 == 0
    EXPECT_EQ(fragment(verso21, {2, 0, 1}), w1252("abúlicamente con una"));
    EXPECT_EQ(fragment(verso21, {3, 32, 1, 10, 0}), "acorde a una benevoencia de la");
    EXPECT_EQ(fragment(verso21, {4, 40, 21, 1}), "desinteresadamente al tono de una");
    EXPECT_EQ(fragment(verso21, {5, 1, 7, 0}), "como un esplendor de la");
    EXPECT_EQ(fragment(verso21, {9, 2, 0}), "con aspecto de la");
}

TEST(LikenessLines, PairOfPluralsFollowsItsOrderDraw) {
    EXPECT_EQ(fragment(verso21, {7, 0, 5, 9, 1, 3, 0}), w1252("con especialidades contrarias a una alusión de la"));
    EXPECT_EQ(fragment(verso21, {7, 1, 5, 9, 1, 3, 0}), w1252("con conciliables cualidades a una alusión de la"));
    EXPECT_EQ(fragment(verso21, {8, 1, 12, 4, 1, 0}), "con disconformes singularidades al aire de la");
}

TEST(LikenessLines, LongestLine) {
    const std::string line = fragment(verso21, {7, 0, 1, 25, 1, 47, 1});
    EXPECT_EQ(line, w1252("con particularidades irreconciliables a una personificación de una"));
    EXPECT_EQ(line.size(), 66u);
}

TEST(LikenessLines, TemplatesThatFormat) {
    EXPECT_EQ(fragment(verso21, {11, 1, 15, 4, 0}), "con un transformado procedimiento a la");
    EXPECT_EQ(fragment(verso21, {12, 15, 33, 1}), "con distinta forma a una");
    EXPECT_EQ(fragment(verso21, {13, 0, 15, 33, 1}), "con la distinta forma de una");
    EXPECT_EQ(fragment(verso21, {14, 33, 15, 0}), "con forma distinta a la");
}

TEST(LikenessLines, EachTemplateMakesItsOwnCountOfDrawsAndEndsInAFeminineArticle) {
    // Draws after the template choice, templates 1 to 15 (8 and 9 include
    // the order draw of their pair of plurals).
    const int draws_after_choice[15] = {4, 4, 2, 4, 3, 3, 3, 6, 5, 2, 3, 4, 3, 4, 3};
    for (int k = 0; k < 15; ++k) {
        std::vector<int> draws(1 + draws_after_choice[k], 0);
        draws[0] = k;
        const std::string line = fragment(verso21, draws);
        ASSERT_GE(line.size(), 3u);
        EXPECT_EQ(line.substr(line.size() - 3), " la") << "template " << k + 1 << ": " << line;
    }
}

TEST(LikenessWordTables, EntriesAsListed) {
    EXPECT_EQ(entry(verso21acorde, 32), "acorde");
    EXPECT_EQ(entry(verso21acorde, 31), "convenientemente");
    EXPECT_EQ(entry(verso21acorde, 0), w1252("abúlicamente"));
    EXPECT_EQ(entry(verso21acorde, 96), "vinculadamente");
    EXPECT_EQ(entry(verso21modo, 4), "procedimiento");
    EXPECT_EQ(entry(verso21modo, 6), "estilo");
    EXPECT_EQ(entry(verso21aspecto, 0), "adem\xE1n");
    EXPECT_EQ(entry(verso21apariencia, 10), "benevoencia");
    EXPECT_EQ(entry(verso21forma, 4), w1252("antigüedad"));
    EXPECT_EQ(entry(verso21caracteristicas, 12), "marcas");
    EXPECT_EQ(entry(verso21contrarias, 25), "irreconciliables");
    EXPECT_EQ(entry(verso21distinta, 32), "par");
}

TEST(LikenessWordTables, LargestRandomValueSelectsItsRemainder) {
    struct Case {
        void (*picker)();
        int row;
    };
    const Case cases[] = {
        {verso21acorde, 78},    {verso21aspecto, 9}, {verso21apariencia, 42}, {verso21caracteristicas, 7},
        {verso21contrarias, 0}, {verso21diverso, 7}, {verso21modo, 0},        {verso21distinta, 22},
        {verso21forma, 7}};
    for (const Case& c : cases) {
        entry(c.picker, 32767);
        EXPECT_EQ(numPalabra, c.row);
    }
}

}  // namespace
}  // namespace versos::testing
