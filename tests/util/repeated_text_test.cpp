// Centred lines and repeated characters, and the date and time as text: the
// widths and lengths where an off-by-one would hide.
#include <versos/util.h>

#include <gtest/gtest.h>

#include <cctype>
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

// Digits where the pattern has 9, the other bytes as they are.
bool has_form(const char* text, const char* pattern) {
    if (std::strlen(text) != std::strlen(pattern)) return false;
    for (std::size_t i = 0; pattern[i]; ++i)
        if (pattern[i] == '9' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != pattern[i])
            return false;
    return true;
}

TEST(RepeatedText, DateAndTimeFillTheirBuffers) {
    char date[11], time[9];
    versos::hoy_(date, '-');
    versos::hora_(time, '.');
    EXPECT_TRUE(has_form(date, "99-99-9999")) << date;
    EXPECT_TRUE(has_form(time, "99.99.99")) << time;
    EXPECT_LE(std::atoi(date), 31);
    EXPECT_LE(std::atoi(date + 3), 12);
    EXPECT_LE(std::atoi(time), 23);
}

}  // namespace
