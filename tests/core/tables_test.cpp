// Every word table as the catalogue describes it: entries, row width,
// longest entry, the byte rules, and whether entries begin with a capital.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "all_tables.h"

namespace versos {
namespace {

struct Expected {
    int entries;
    int width;
    bool capitalised;  // entries begin with a capital letter
};

// The catalogue of the pickers' tables, written out independently of the
// word files.
const std::map<std::string, Expected> kCatalogue = {
    {"verso00aveces", {1691, 21, true}},
    {"verso11reversibles1", {678, 18, false}},
    {"verso11reversibles2", {397, 15, false}},
    {"verso11unicasnoreversibles1", {424, 35, false}},
    {"verso12", {771, 17, true}},
    {"verso14", {780, 16, false}},
    {"verso33", {363, 20, false}},
    {"verso21acorde", {97, 20, false}},
    {"verso10abad", {116, 15, false}},
    {"verso10amor", {138, 24, false}},
    {"verso10analfabeto", {48, 14, false}},
    {"verso01aquella", {7, 8, false}},
    {"verso01unicas", {15, 13, true}},
    {"verso12bis", {27, 24, true}},
    {"verso22cargada", {29, 15, false}},
    {"verso22futuro", {46, 14, false}},
    {"verso22palabrassueltas", {109, 13, false}},
    {"verso31agradamenosmas", {133, 22, true}},
    {"verso31otroslauna", {64, 25, true}},
    {"verso21aspecto", {22, 10, false}},
    {"articulomasculinosingular", {2, 3, false}},
    {"articulofemeninosingular", {2, 4, false}},
    {"verso21apariencia", {55, 16, false}},
    {"verso21caracteristicas", {13, 17, false}},
    {"verso21contrarias", {31, 17, false}},
    {"verso21diverso", {20, 13, false}},
    {"verso21modo", {7, 14, false}},
    {"verso21distinta", {37, 16, false}},
    {"verso21forma", {65, 14, false}},
    {"verso00algun", {7, 7, false}},
    {"verso00algunsinversosiguiente", {17, 19, true}},
    {"verso22con", {2, 4, false}},
};

// The only capitals against the grain of their table.
const std::set<std::string> kGoddesses = {"Afrodita", "Atenea", "Minerva", "Venus"};

bool capital(unsigned char c) { return c >= 'A' && c <= 'Z'; }

bool allowed_byte(unsigned char c) {
    if (c >= 0x20 && c < 0x7F) return true;
    for (unsigned char accented : {0xE1, 0xE9, 0xED, 0xF3, 0xFA, 0xFC, 0xF1})
        if (c == accented) return true;
    return false;
}

TEST(WordTables, EveryPickerHasItsTableAndNoOther) {
    std::set<std::string> built;
    for (const auto& t : tablas::all_tables) EXPECT_TRUE(built.insert(t.name).second) << t.name << " twice";
    std::set<std::string> catalogued;
    for (const auto& [name, expected] : kCatalogue) catalogued.insert(name);
    EXPECT_EQ(built, catalogued);
}

TEST(WordTables, SizesWidthsAndTotals) {
    int larger_entries = 0, larger_tables = 0;
    for (const auto& t : tablas::all_tables) {
        SCOPED_TRACE(t.name);
        const Expected& e = kCatalogue.at(t.name);
        EXPECT_EQ(t.entries, e.entries);
        EXPECT_EQ(t.width, e.width);
        std::size_t longest = 0;
        for (int i = 0; i < t.entries; ++i) longest = std::max(longest, std::strlen(t.rows + i * t.width));
        EXPECT_EQ(static_cast<int>(longest) + 1, t.width) << "the width is the longest entry plus its NUL";
        if (t.entries > 2) {
            larger_entries += t.entries;
            ++larger_tables;
        }
    }
    EXPECT_EQ(larger_tables, 29);
    EXPECT_EQ(larger_entries, 6207);
}

TEST(WordTables, EveryRowHoldsOneWellFormedEntryPaddedWithNul) {
    for (const auto& t : tablas::all_tables) {
        const bool capitalised = kCatalogue.at(t.name).capitalised;
        for (int i = 0; i < t.entries; ++i) {
            const char* row = t.rows + i * t.width;
            const std::size_t n = std::strlen(row);
            SCOPED_TRACE(std::string(t.name) + " row " + std::to_string(i) + " \"" + row + "\"");
            ASSERT_GT(n, 0u);
            ASSERT_LT(static_cast<int>(n), t.width);
            EXPECT_NE(row[0], ' ');
            EXPECT_NE(row[n - 1], ' ');
            for (int k = static_cast<int>(n); k < t.width; ++k) EXPECT_EQ(row[k], '\0') << "padding at " << k;
            for (std::size_t k = 0; k < n; ++k) {
                const auto c = static_cast<unsigned char>(row[k]);
                EXPECT_TRUE(allowed_byte(c)) << "byte " << int(c) << " at " << k;
                if (k > 0) {
                    EXPECT_FALSE(capital(c)) << "capital inside the entry";
                }
            }
            const bool exception = std::string(t.name) == "verso11reversibles1" && kGoddesses.count(row);
            EXPECT_EQ(capital(static_cast<unsigned char>(row[0])), capitalised != exception);
        }
    }
}

TEST(WordTables, AccentedLettersAreSingleWindows1252Bytes) {
    EXPECT_STREQ(tablas::verso21aspecto[0], "adem\xE1n");
    EXPECT_STREQ(tablas::verso21forma[4],
                 "antig\xFC"
                 "edad");
    EXPECT_STREQ(tablas::verso11reversibles1[677], "\xEDntima");
    EXPECT_STREQ(tablas::verso12bis[6],
                 "A\xF1orado compa\xF1"
                 "ero");
}

}  // namespace
}  // namespace versos
