// versos-lote's work: fragments written one a line to standard output,
// gathered in a large buffer so that a million lines cost a few writes.
#pragma once

#include <cstddef>
#include <string>

namespace versos::lote {

class FragmentWriter {
public:
    explicit FragmentWriter(bool utf8) : utf8_(utf8) { out_.reserve(kFlushAt + 512); }

    // The fragment of `mode` and `seed` and a newline; false if the mode is
    // unknown (nothing is written then).
    bool write(char mode, int seed);
    // Writes out what is gathered; false on a write error, which it names on
    // standard error (once: later calls write nothing).
    bool flush();
    bool failed() const { return failed_; }

private:
    static constexpr std::size_t kFlushAt = 1 << 16;
    bool utf8_;
    bool failed_ = false;
    std::string out_;
    std::string fragment_;
};

// The longest input line answered, in bytes before its newline; a longer
// one is a wrong line, read to its end without being kept.
inline constexpr std::size_t kLongestLine = 4096;

// Answers the `MODE SEED` lines of standard input, writing the answers out
// whenever no more input is ready. Returns the exit status:
// 0 all answered, 1 some line was wrong (each one named on standard error),
// 2 standard input or output failed.
int answer_lines(FragmentWriter& writer);

}  // namespace versos::lote
