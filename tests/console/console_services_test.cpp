// mensajeTiempo_'s texts, in its box and on standard output; imprimeHasta's
// shortening; color_ as the COLOR command; waiting for keys.
#include <gtest/gtest.h>

#include <string>

#include "tests/console/console_fixture.h"
#include "tests/console/watched_console.h"

namespace versos::test {
namespace {

class ConsoleServicesTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        console::install_device(&watched);
    }
    WatchedConsole watched{screen};
};

TEST_F(ConsoleServicesTest, ElapsedTimesInTheBoxAndOnStandardOutput) {
    const struct {
        unsigned seconds;
        std::string text;
    } cases[] = {
        {0, "El tiempo empleado ha sido inferior a un segundo.\n"},
        {1, "Tiempo empleado: 1 segundo.\n"},
        {59, "Tiempo empleado: 59 segundos.\n"},
        {60, "Tiempo empleado: 1 minutos y 0 segundos.\n"},
        {61, "Tiempo empleado: 1 minutos y 1 segundos.\n"},
        {75, "Tiempo empleado: 1 minutos y 15 segundos.\n"},
        {4294967295u, "Tiempo empleado: 71582788 minutos y 15 segundos.\n"},
    };
    for (const auto& c : cases) {
        watched.reads.clear();
        ::testing::internal::CaptureStdout();
        const int printed = mensajeTiempo_(c.seconds);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.text);
        EXPECT_EQ(printed, static_cast<int>(c.text.size()));
        ASSERT_EQ(watched.reads.size(), 1u) << c.seconds;
        EXPECT_TRUE(watched.reads[0].row_holds(" Duraci\xA2n ", 80));
        EXPECT_TRUE(watched.reads[0].row_holds(c.text.substr(0, c.text.size() - 1), 80));
    }
    EXPECT_EQ(all_cells(), std::vector<Cell>(80 * 25));  // every box taken away
}

TEST_F(ConsoleServicesTest, ShortenedTextsKeepTheirEndsAndFitTheWidth) {
    const char* text = "abcdefghijklmnopqrstuvwxyz0123";  // 30
    const struct {
        int width;
        std::string line;
        int last;
    } cases[] = {
        {30, "\"abcdefghijklmnopqrstuvwxyz0123\"\n", 33},
        {15, "\"abcde[...]z0123\"\n", 2},
        {4, "\"[...]\"\n", 2},
    };
    for (const auto& c : cases) {
        ::testing::internal::CaptureStderr();
        const int last = imprimeHasta(text, c.width, 0x0E, 0x0C);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.line) << c.width;
        EXPECT_EQ(last, c.last) << c.width;
        EXPECT_EQ(screen.attribute(), 0x0E);  // the text's colour, set last
    }
}

TEST_F(ConsoleServicesTest, ColoursAsTheColorCommandSetsThem) {
    fill_with_pattern();
    const std::vector<Cell> before = all_cells();
    EXPECT_EQ(color_(14, 1), 1);  // the character 14 is no colour
    EXPECT_EQ(color_(3, 3), 1);   // the same colour twice
    EXPECT_EQ(color_(256 + 'E', 1), 1);
    EXPECT_EQ(color_('g', 1), 1);
    EXPECT_EQ(all_cells(), before);
    EXPECT_EQ(screen.attribute(), 0x07);

    EXPECT_EQ(color_('E', 1), 0);
    std::vector<Cell> after = all_cells();
    for (std::size_t i = 0; i < after.size(); ++i) {
        ASSERT_EQ(after[i].ch, before[i].ch) << i;
        ASSERT_EQ(after[i].attr, 0x1E) << i;
    }
    EXPECT_EQ(screen.attribute(), 0x1E);
    EXPECT_EQ(vActual.text_attr, 0x0F);
    EXPECT_EQ(color_('a', 0), 0);
    EXPECT_EQ(screen.at(40, 12).attr, 0x0A);
}

TEST_F(ConsoleServicesTest, PauseLeavesTheKeyAndPausaTakesATwoByteKeyWhole) {
    screen.type_keys("\xE0Ka");
    EXPECT_EQ(pause_(), 1);
    EXPECT_EQ(pausa_(), 0);
    EXPECT_EQ(screen.keys_waiting(), 1);
    getch_();
    // Typed Ó is 224 in code page 850, and a key of its own.
    screen.type_character(0xE0);
    screen.type_keys("b");
    EXPECT_EQ(pausa_(), 0);
    EXPECT_EQ(getch_(), 'b');
    screen.set_reads_keys(false);
    EXPECT_EQ(pause_(), 0);  // nothing can come: no wait
}

}  // namespace
}  // namespace versos::test
