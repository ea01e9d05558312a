#include "programs/versos-lote/fragment_lines.h"

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <versos/generador.h>

#include "lib/posix_io/posix_io.h"

namespace versos::lote {
namespace {

// Blanks between words; \r too, so that lines ending in \r\n read as well.
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

const char* skip_blanks(const char* p, const char* end) {
    while (p != end && is_blank(*p)) ++p;
    return p;
}

const char* skip_word(const char* p, const char* end) {
    while (p != end && !is_blank(*p)) ++p;
    return p;
}

class LineReader {
public:
    explicit LineReader(FragmentWriter& writer) : writer_(writer) {}

    // One line, without its newline.
    void answer(const char* p, const char* end) {
        ++number_;
        p = skip_blanks(p, end);
        if (p == end || *p == '#') return;  // blank line or comment

        const char* mode = p;
        p = skip_word(p, end);
        const char* seed = skip_blanks(p, end);
        const char* seed_end = skip_word(seed, end);
        int words = (seed == end) ? 1 : 2;
        for (const char* q = skip_blanks(seed_end, end); q != end; q = skip_blanks(skip_word(q, end), end)) ++words;
        if (words != 2) {
            complain("expected MODE SEED, found %d word%s", words, words == 1 ? "" : "s");
            return;
        }
        // The seed as versos reads its argument: atoi on the word alone.
        seed_text_.assign(seed, seed_end);
        if (!writer_.write(*mode, lee_semilla(seed_text_.c_str()))) {
            const unsigned char m = static_cast<unsigned char>(*mode);
            if (m > ' ' && m < 0x7F)
                complain("unknown mode '%c'", m);
            else
                complain("unknown mode (byte 0x%02X)", m);
        }
    }

    // A line longer than kLongestLine: skipped, never kept.
    void too_long() {
        ++number_;
        complain("longer than %zu bytes", kLongestLine);
    }

    bool any_wrong() const { return wrong_; }

private:
    template <typename... Args>
    void complain(const char* format, Args... args) {
        wrong_ = true;
        std::fprintf(stderr, "versos-lote: line %llu: ", number_);
        std::fprintf(stderr, format, args...);
        std::fputc('\n', stderr);
    }

    FragmentWriter& writer_;
    unsigned long long number_ = 0;
    bool wrong_ = false;
    std::string seed_text_;
};

}  // namespace

bool FragmentWriter::write(char mode, int seed) {
    if (!(utf8_ ? fragmento_utf8(mode, seed, fragment_) : fragmento(mode, seed, fragment_))) return false;
    out_ += fragment_;
    out_ += '\n';
    if (out_.size() >= kFlushAt) flush();
    return true;
}

bool FragmentWriter::flush() {
    if (failed_) return false;
    if (!posix_io::write_all(STDOUT_FILENO, out_.data(), out_.size())) {
        failed_ = true;
        std::fprintf(stderr, "versos-lote: cannot write the fragments: %s\n", std::strerror(errno));
    }
    out_.clear();
    return !failed_;
}

int answer_lines(FragmentWriter& writer) {
    LineReader lines(writer);
    std::string pending;    // the start of a line that a read cut short
    bool skipping = false;  // the line being read is too long: dropped up to its end
    static char buf[1 << 16];
    for (;;) {
        // Whoever writes a line and waits for its answer (a coprocess, a
        // person) gets it before this waits for more. A file never runs dry,
        // so its answers still go out in large writes.
        if (posix_io::read_would_wait(STDIN_FILENO) && !writer.flush()) return 2;
        const std::ptrdiff_t n = posix_io::read_some(STDIN_FILENO, buf, sizeof buf);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A standard input that another process made non-blocking.
            posix_io::wait_readable(STDIN_FILENO);
            continue;
        }
        if (n < 0) {
            std::fprintf(stderr, "versos-lote: cannot read standard input: %s\n", std::strerror(errno));
            writer.flush();
            return 2;
        }
        if (n == 0) break;
        const char* p = buf;
        const char* const end = buf + n;
        while (const char* nl = static_cast<const char*>(std::memchr(p, '\n', end - p))) {
            if (skipping || pending.size() + static_cast<std::size_t>(nl - p) > kLongestLine) {
                lines.too_long();
            } else if (pending.empty()) {
                lines.answer(p, nl);
            } else {
                pending.append(p, nl);
                lines.answer(pending.data(), pending.data() + pending.size());
            }
            pending.clear();
            skipping = false;
            p = nl + 1;
            if (writer.failed()) return 2;
        }
        if (skipping) continue;
        if (pending.size() + static_cast<std::size_t>(end - p) > kLongestLine) {
            skipping = true;
            pending.clear();
        } else {
            pending.append(p, end);
        }
    }
    // A last line without a newline.
    if (skipping)
        lines.too_long();
    else if (!pending.empty())
        lines.answer(pending.data(), pending.data() + pending.size());
    if (!writer.flush()) return 2;
    return lines.any_wrong() ? 1 : 0;
}

}  // namespace versos::lote
