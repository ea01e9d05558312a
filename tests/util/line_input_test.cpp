// lineinput_ and line_input_ on streams in memory: where lines end, the
// 511-byte bound, and the buffer line_input_ leaves.
#include <versos/util.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class MemoryStream {
public:
    explicit MemoryStream(std::string bytes) : bytes_(std::move(bytes)) {
        stream_ = fmemopen(bytes_.data(), bytes_.size(), "r");
    }
    ~MemoryStream() { std::fclose(stream_); }
    std::FILE* get() const { return stream_; }

private:
    std::string bytes_;
    std::FILE* stream_;
};

TEST(LineInput, LinesAndTheBoundOf511Bytes) {
    MemoryStream s("abcd\n" + std::string(511, 'x') + std::string(89, 'y') + "\r\n");
    char* line = versos::lineinput_(s.get());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line, versos::__LINEINPUT_STR_);
    EXPECT_STREQ(line, "abcd");
    EXPECT_EQ(std::string(versos::lineinput_(s.get())), std::string(511, 'x'));
    EXPECT_EQ(std::string(versos::lineinput_(s.get())), std::string(89, 'y') + "\r");
    EXPECT_EQ(versos::lineinput_(s.get()), line);  // the same buffer every time
    EXPECT_STREQ(line, "");                        // at the end
    EXPECT_STREQ(versos::lineinput_(s.get()), "");
}

TEST(LineInput, LineFeedsBecomeNulsUpTo20480Bytes) {
    std::string buffer(20481 + 16, '#');
    MemoryStream s("a\nb");
    char* end = versos::line_input_(buffer.data(), s.get());
    EXPECT_EQ(end, buffer.data() + 4);
    EXPECT_EQ(buffer.substr(0, 6), std::string("a\0b\0\0#", 6));

    MemoryStream big(std::string(30000, 'z'));
    end = versos::line_input_(buffer.data(), big.get());
    EXPECT_EQ(end, buffer.data() + 20480);
    EXPECT_EQ(buffer.substr(20478, 4), std::string("zz\0#", 4));  // never beyond 20,481 bytes
    EXPECT_EQ(std::fgetc(big.get()), 'z');                        // the rest stays in the stream
}

}  // namespace
