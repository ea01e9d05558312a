// Centred lines and repeated characters, and the date and time as text: the
// widths and lengths where an off-by-one would hide.
#include <versos/util.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string centred(const char* text, int width) {
    char* bytes = nullptr;
    std::size_t size = 0;
    std::FILE* stream = open_memstream(&bytes, &size);
    const int last = versos::centralin_(text, width, stream);
    std::fclose(stream);
    std::string line(bytes, size);
    std::free(bytes);
    EXPECT_EQ(last, static_cast<int>(std::strlen(text)) + 1);
    return line;
}

TEST(RepeatedText, CentredLinesAndRepeatedCharacters) {
    EXPECT_EQ(centred("casa", 10), "   casa\n");
    EXPECT_EQ(centred("casa", 11), "   casa\n");
    EXPECT_EQ(centred("casa", 5), "casa\n");
    EXPECT_EQ(centred("casa", 3), "casa\n");
    EXPECT_STREQ(versos::repch_('x', 0), "");
    EXPECT_STREQ(versos::repch_('x', 3), "xxx");
    EXPECT_STREQ(versos::repchar_("abc", 4), "aaaa");
    EXPECT_EQ(versos::repch_('x', -1), nullptr);  // no negative length
    const char* text = "abc";
    EXPECT_EQ(versos::repchar_(text, -1), text);
}

TEST(RepeatedText, DateAndTimeFillTheirBuffers) {
    char date[11], time[9];
    versos::hoy_(date, '-');
    versos::hora_(time, '.');
    EXPECT_TRUE(std::strlen(date) == 10 && date[2] == '-' && date[5] == '-') << date;
    EXPECT_TRUE(std::strlen(time) == 8 && time[2] == '.' && time[5] == '.') << time;
}

}  // namespace
