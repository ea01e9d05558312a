// Line, paragraph and word readers over text streams, and the word count.
#include <versos/util/readers.h>
#include <versos/util/strings.h>

#include "file_open.h"
#include "stdio_names.h"
#include "text_bytes.h"

#include <cstddef>
#include <cstring>

namespace versos {

namespace {

// Holds the stream's lock for one reader call, so that the bytes can be taken
// with the unlocked calls.
class StreamLock {
public:
    explicit StreamLock(std::FILE* stream) : stream_(stream) { flockfile(stream_); }
    ~StreamLock() { funlockfile(stream_); }
    StreamLock(const StreamLock&) = delete;
    StreamLock& operator=(const StreamLock&) = delete;

private:
    std::FILE* stream_;
};

enum class Skip {
    nothing,    // the line starts at once
    line_ends,  // line feeds and carriage returns before it
    blanks,     // every blank (0x01 to 0x20) before it
};

struct LineRule {
    Skip skip;
    bool carriage_return_ends_line;  // else it is dropped
    bool trim_end;
};

constexpr std::size_t unbounded = static_cast<std::size_t>(-1);

bool skipped(int c, Skip skip) {
    switch (skip) {
        case Skip::nothing:
            return false;
        case Skip::line_ends:
            return c == '\n' || c == '\r';
        case Skip::blanks:
            return detail::is_blank(static_cast<char>(c));
    }
    return false;
}

// Reads one line under the rule into target, storing at most `most` bytes;
// when that many are stored the line is left there, unread beyond. Returns
// the number of bytes stored; the text is NUL-terminated. `ended`, when
// given, tells whether the stream gave EOF.
std::size_t read_line(std::FILE* stream, char* target, std::size_t most, LineRule rule, bool* ended = nullptr) {
    StreamLock lock(stream);
    std::size_t stored = 0;
    int c = getc_unlocked(stream);
    while (c != EOF && skipped(c, rule.skip)) c = getc_unlocked(stream);
    while (c != EOF && c != '\n' && stored < most) {
        if (c == '\r') {
            if (rule.carriage_return_ends_line) break;
        } else {
            target[stored++] = static_cast<char>(c);
            if (stored == most) break;
        }
        c = getc_unlocked(stream);
    }
    if (rule.trim_end)
        while (stored > 0 && detail::is_blank(target[stored - 1])) --stored;
    target[stored] = '\0';
    if (ended != nullptr) *ended = c == EOF;
    return stored;
}

constexpr LineRule whole_line{Skip::nothing, false, false};
constexpr LineRule line_with_content{Skip::line_ends, true, false};
constexpr LineRule left_trimmed{Skip::blanks, true, false};
constexpr LineRule right_trimmed{Skip::line_ends, true, true};
constexpr LineRule trimmed{Skip::blanks, true, true};

int read_line_int(std::FILE* stream, char* target, LineRule rule) {
    return static_cast<int>(read_line(stream, target, unbounded, rule));
}

}  // namespace

int fgetline_(char* target, std::FILE* stream) { return read_line_int(stream, target, whole_line); }
int fgets_(char* target, std::FILE* stream) { return read_line_int(stream, target, whole_line); }
int gets_(char* target) { return read_line_int(stdin, target, whole_line); }

int fgetsn_(char* target, int size, std::FILE* stream) {
    if (size < 1) return 0;
    if (size == 1) {
        target[0] = '\0';
        return 1;
    }
    const auto most = static_cast<std::size_t>(size - 1);
    const std::size_t stored = read_line(stream, target, most, line_with_content);
    return stored == most ? size : static_cast<int>(stored) + 1;
}

int ltrimfgets_(char* target, std::FILE* stream) { return read_line_int(stream, target, left_trimmed); }
int rtrimfgets_(char* target, std::FILE* stream) { return read_line_int(stream, target, right_trimmed); }
int trimfgets_(char* target, std::FILE* stream) { return read_line_int(stream, target, trimmed); }

void fputs_(const char* text, std::FILE* stream) { std::fwrite(text, 1, std::strlen(text), stream); }

namespace {

// One line for getParrafo_, taken in pieces of at most `most` bytes. A piece
// that fills the buffer right at the end of its line takes the line feed as
// well, so that it is not read as an empty line after it. True when the
// stream gave EOF.
bool read_paragraph_line(std::FILE* stream, char* line, std::size_t most) {
    bool ended = false;
    if (read_line(stream, line, most, whole_line, &ended) < most) return ended;
    StreamLock lock(stream);
    int c = getc_unlocked(stream);
    while (c == '\r')  // dropped in any case
        c = getc_unlocked(stream);
    if (c != '\n' && c != EOF) ungetc(c, stream);
    return c == EOF;
}

}  // namespace

int getParrafo_(char* target, std::FILE* stream) {
    constexpr std::size_t line_buffer_size = 65535;
    char line[line_buffer_size];
    std::size_t length = 0;
    target[0] = '\0';
    for (;;) {
        bool ended = false;
        for (;;) {
            ended = read_paragraph_line(stream, line, line_buffer_size - 1);
            trim_(line);
            const std::size_t line_length = std::strlen(line);
            if (line_length == 0) break;
            if (length > 0) target[length++] = ' ';
            std::memcpy(target + length, line, line_length + 1);
            length += line_length;
        }
        // A stream in error never reaches its end: stop there too, or the
        // search for a paragraph would go on for ever. Some runtimes (Wine's)
        // give EOF for a stream opened only for writing and set neither flag:
        // an empty line that ends in EOF stops it as well.
        if (length > 0 || ended || std::feof(stream) || std::ferror(stream)) return 0;
    }
}

namespace {

// Word characters: ASCII letters and digits, and these Windows-1252 letters.
constexpr unsigned char accented_word_letters[] = {
    0xE1, 0xE9, 0xED, 0xF3, 0xFA, 0xF1, 0xFC,  // á é í ó ú ñ ü
    0xC1, 0xC9, 0xCD, 0xD3, 0xDA, 0xDC, 0xD1,  // Á É Í Ó Ú Ü Ñ
    0xE0, 0xC3, 0xC0, 0xC2, 0xC5, 0xC4,        // à Ã À Â Å Ä
    0xE5, 0xE4, 0xE2,                          // å ä â
    0xC8, 0xCB, 0xCA, 0xE8, 0xEB, 0xEA,        // È Ë Ê è ë ê
    0xCC, 0xCF, 0xCE, 0xEC, 0xEE, 0xEF,        // Ì Ï Î ì î ï
    0xD5, 0xD2, 0xD4, 0xD6,                    // Õ Ò Ô Ö
    0xF5, 0xF0, 0xF2, 0xF6, 0xF4,              // õ ð ò ö ô
    0xD9, 0xF9, 0xFB,                          // Ù ù û
    0xC6, 0xE6, 0xE7, 0xC7,                    // Æ æ ç Ç
};

struct WordTable {
    bool is_word[256] = {};
    constexpr WordTable() {
        for (int c = 'A'; c <= 'Z'; ++c) is_word[c] = true;
        for (int c = 'a'; c <= 'z'; ++c) is_word[c] = true;
        for (int c = '0'; c <= '9'; ++c) is_word[c] = true;
        for (unsigned char c : accented_word_letters) is_word[c] = true;
    }
};

constexpr WordTable word_table;

bool is_word_byte(int byte) { return word_table.is_word[byte & 0xFF]; }

}  // namespace

int chardepalabra_(int c) {
    if (c < -128 || c > 255) return 0;
    return is_word_byte(c) ? 1 : 0;
}

int fgetword_(char* target, std::FILE* stream) {
    StreamLock lock(stream);
    std::size_t stored = 0;
    for (int c = getc_unlocked(stream); c != EOF && is_word_byte(c); c = getc_unlocked(stream))
        target[stored++] = static_cast<char>(c);
    target[stored] = '\0';
    return static_cast<int>(stored);
}

std::int64_t fcontpal_(const char* path) {
    std::FILE* file = detail::open_for_reading(path);
    if (file == nullptr) return 0;
    constexpr std::size_t block_size = 1 << 16;
    unsigned char block[block_size];
    std::int64_t words = 0;
    bool in_word = false;
    std::size_t got;
    while ((got = std::fread(block, 1, block_size, file)) > 0) {
        for (std::size_t i = 0; i < got; ++i) {
            const unsigned char b = block[i];
            const bool separator = b == ' ' || b == '\n' || b == '\t';
            if (!separator && !in_word) ++words;
            in_word = !separator;
        }
    }
    std::fclose(file);
    return words;
}

}  // namespace versos
