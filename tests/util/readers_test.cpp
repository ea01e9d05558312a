// Line, paragraph and word readers and the word count, on real files.
#include <versos/util.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace versos;

namespace {

// A file holding the given bytes, opened for reading.
class TextFile {
public:
    explicit TextFile(const std::string& bytes) {
        char pattern[] = "/tmp/versos_readers_XXXXXX";
        const int fd = mkstemp(pattern);
        path_ = pattern;
        if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            ADD_FAILURE() << "cannot write " << path_;
        close(fd);
        stream_ = std::fopen(path_.c_str(), "rb");
    }
    ~TextFile() {
        if (stream_) std::fclose(stream_);
        unlink(path_.c_str());
    }
    std::FILE* stream() { return stream_; }
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
    std::FILE* stream_ = nullptr;
};

// Every text a reader gives, with its result, until the stream runs out.
template <typename Reader>
std::vector<std::pair<std::string, int>> read_all(const std::string& bytes, Reader reader) {
    TextFile file(bytes);
    std::vector<std::pair<std::string, int>> got;
    char line[256];
    while (!std::feof(file.stream()) && got.size() < 100) {
        const int n = reader(line, file.stream());
        got.emplace_back(line, n);
    }
    return got;
}

using Lines = std::vector<std::pair<std::string, int>>;

}  // namespace

TEST(LineReaders, WhereLinesEndAndWhatIsSkipped) {
    EXPECT_EQ(read_all("a\r\n\nb", fgets_), (Lines{{"a", 1}, {"", 0}, {"b", 1}}));
    EXPECT_EQ(read_all("\ra\rb\r\n", fgetline_), (Lines{{"ab", 2}, {"", 0}}));

    const std::string text = "\n\r\n  uno \r\t dos\xe1  \n \n\ntres";
    EXPECT_EQ(read_all(text, ltrimfgets_), (Lines{{"uno ", 4}, {"dos\xe1  ", 6}, {"tres", 4}}));
    EXPECT_EQ(read_all(text, rtrimfgets_), (Lines{{"  uno", 5}, {"\t dos\xe1", 6}, {"", 0}, {"tres", 4}}));
    EXPECT_EQ(read_all(text, trimfgets_), (Lines{{"uno", 3}, {"dos\xe1", 4}, {"tres", 4}}));
    // At the end of the stream: the empty text.
    EXPECT_EQ(read_all("", trimfgets_), (Lines{{"", 0}}));
}

TEST(BoundedReader, StoresNoMoreThanItIsTold) {
    const auto size4 = [](char* target, std::FILE* stream) { return fgetsn_(target, 4, stream); };
    EXPECT_EQ(read_all("abcdef\n\n\rxy\r", size4), (Lines{{"abc", 4}, {"def", 4}, {"xy", 3}, {"", 1}}));

    // Random lines and sizes: the bytes past the size stay untouched and the
    // pieces put back together give the lines with content.
    std::mt19937 rng(5);
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        std::string letters;
        for (int i = static_cast<int>(rng() % 40); i > 0; --i) {
            bytes += "ab\n\r"[rng() % 4];
            if (bytes.back() == 'a' || bytes.back() == 'b') letters += bytes.back();
        }
        TextFile random(bytes);
        const int size = 1 + static_cast<int>(rng() % 6);
        std::string pieces;
        for (int calls = 0; calls < 60; ++calls) {
            char piece[16];
            std::memset(piece, '#', sizeof piece);
            const int n = fgetsn_(piece, size, random.stream());
            ASSERT_TRUE(std::all_of(piece + size, piece + sizeof piece, [](char c) { return c == '#'; }));
            ASSERT_EQ(static_cast<std::size_t>(n), std::strlen(piece) + 1);
            pieces += piece;
        }
        if (size > 1) {
            ASSERT_EQ(pieces, letters) << bytes;
        }
    }
}

TEST(Paragraphs, JoinedLinesBetweenEmptyOnes) {
    TextFile file("\n  uno  \ndos\n \t \ntres");
    char para[64];
    EXPECT_EQ(getParrafo_(para, file.stream()), 0);
    EXPECT_STREQ(para, "uno dos");
    getParrafo_(para, file.stream());
    EXPECT_STREQ(para, "tres");
    getParrafo_(para, file.stream());
    EXPECT_STREQ(para, "");
    // A stream that fails without reaching its end does not keep it waiting.
    std::FILE* write_only = std::fopen(file.path(), "ab");
    ASSERT_NE(write_only, nullptr);
    EXPECT_EQ(getParrafo_(para, write_only), 0);
    EXPECT_STREQ(para, "");
    std::fclose(write_only);

    // A line longer than the 65,534-byte line buffer is taken in pieces and
    // nothing of it is lost; a piece ending right at the line's end does not
    // end the paragraph.
    const std::string longest(65534, 'x');
    const std::string longer = std::string(65534, 'y') + "zz";
    TextFile big(longest + "\n" + longer + "\nfin\n\notro");
    std::vector<char> out(200000);
    getParrafo_(out.data(), big.stream());
    EXPECT_EQ(std::string(out.data()), longest + " " + std::string(65534, 'y') + " zz fin");
    getParrafo_(out.data(), big.stream());
    EXPECT_STREQ(out.data(), "otro");
}

TEST(Words, WordCharactersAndReader) {
    int word_chars = 0;
    for (int c = 0; c < 256; ++c) word_chars += chardepalabra_(c);
    EXPECT_EQ(word_chars, 26 + 26 + 10 + 51);
    for (char c : std::string("\xe1\xf1\xd1\xdc\xe7\xf0z0"))  // signed char values
        EXPECT_EQ(chardepalabra_(c), 1) << int(c);
    for (unsigned char c : std::string("\xe3\xdb\xfd\xff\xdf\xf8_- ")) EXPECT_EQ(chardepalabra_(c), 0) << int(c);

    EXPECT_EQ(read_all("ni\xf1o, \xe1rbol", fgetword_), (Lines{{"ni\xf1o", 4}, {"", 0}, {"\xe1rbol", 5}}));
}

TEST(Words, CountOfAFile) {
    EXPECT_EQ(fcontpal_(TextFile("a b\n").path()), 2);
    EXPECT_EQ(fcontpal_(TextFile("\r\n").path()), 1);  // a carriage return is a word
    EXPECT_EQ(fcontpal_(TextFile("").path()), 0);
    EXPECT_EQ(fcontpal_("/tmp/versos_readers_nothing_here"), 0);

    // Against the standard stream's word split, over several read blocks
    // (no carriage returns, vertical tabs or form feeds, which it also
    // takes as blanks).
    std::mt19937 rng(11);
    std::string bytes;
    for (int i = 0; i < 300000; ++i) bytes += "ab,\xe1  \n\t"[rng() % 9];
    std::istringstream words(bytes);
    std::int64_t expected = 0;
    for (std::string w; words >> w;) ++expected;
    EXPECT_EQ(fcontpal_(TextFile(bytes).path()), expected);
}
