// versos-lote: the fragments of many modes and seeds on standard output, one
// a line, as versos would put them on the clipboard one by one.
#include <versos/generador.h>
#include <versos/version.h>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lib/posix_io/program_start.h"
#include "lib/posix_io/program_text.h"
#include "programs/usage_error.h"
#include "programs/versos-lote/fragment_lines.h"

namespace {

constexpr char kUsage[] =
    "usage: versos-lote [-r] < LINES\n"
    "       versos-lote [-r] [--] MODE FROM TO\n"
    "Writes verse fragments on standard output, one a line, each the text that\n"
    "'versos MODE SEED' puts on the clipboard, converted to UTF-8.\n"
    "Without arguments, answers the lines of standard input: each holds a mode\n"
    "and a seed separated by blanks ('B 42'). The mode is the first character\n"
    "of its word; the seed is read as versos reads it ('42abc' is 42, 'abc' is\n"
    "0). Blank lines and lines starting with # give no output line. A line\n"
    "with an unknown mode, with other than two words or longer than 4096\n"
    "bytes gives no output line and a message naming its line number on\n"
    "standard error. Answers are written as soon as no more input waits.\n"
    "With MODE FROM TO, writes the fragments of the seeds FROM to TO, both\n"
    "included (decimal ints, FROM not above TO).\n"
    "  -r         write the raw Windows-1252 bytes instead of UTF-8\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "Exit status: 0 every line answered, 1 some input line was wrong (the\n"
    "others are still answered), 2 a wrong command line, or standard input or\n"
    "output failed.\n";

// Writes the help or the version: 0, or 2 when standard output fails.
int show(const char* text) {
    if (std::fputs(text, stdout) < 0 || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "versos-lote: standard output: %s\n", std::strerror(errno));
        return 2;
    }
    return 0;
}

int wrong_command_line(const char* why, const char* what) {
    return versos::programs::usage_error("versos-lote", why, what);
}

// A bound of the range: decimal digits with an optional sign, nothing else,
// within the range of int.
bool parse_bound(const char* text, int& value) {
    const char* digits = (*text == '-' || *text == '+') ? text + 1 : text;
    if (*digits < '0' || *digits > '9') return false;  // also refuses leading blanks
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (*end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
    value = static_cast<int>(v);
    return true;
}

int write_range(versos::lote::FragmentWriter& writer, const char* mode_word, const char* from_text,
                const char* to_text) {
    const char mode = mode_word[0];
    if (!versos::es_modo(mode)) return wrong_command_line("unknown mode: ", mode_word);
    int from = 0, to = 0;
    if (!parse_bound(from_text, from)) return wrong_command_line("FROM is not a decimal int: ", from_text);
    if (!parse_bound(to_text, to)) return wrong_command_line("TO is not a decimal int: ", to_text);
    if (from > to) return wrong_command_line("FROM is above TO", "");
    // Counted in a wider type, so that TO = INT_MAX ends the loop.
    for (long long seed = from; seed <= to; ++seed)
        if (writer.write(mode, static_cast<int>(seed)); writer.failed()) return 2;
    return writer.flush() ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    // The same bytes as on every system: lines end in LF alone.
    versos::program::binary_standard_streams();
    bool raw = false;
    const char* positional[3];
    int count = 0;
    bool options_done = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        // A word starting with - is an option, unless it is a negative bound.
        const bool option = !options_done && arg[0] == '-' && arg[1] != '\0' && (arg[1] < '0' || arg[1] > '9');
        if (!option) {
            if (count == 3) return wrong_command_line("too many arguments", "");
            positional[count++] = arg;
        } else if (std::strcmp(arg, "-r") == 0) {
            raw = true;
        } else if (std::strcmp(arg, "--") == 0) {
            options_done = true;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            return show(kUsage);
        } else if (std::strcmp(arg, "--version") == 0) {
            return show("versos-lote " VERSOS_VERSION_STRING "\n");
        } else {
            return versos::programs::unknown_option("versos-lote", arg);
        }
    }

    versos::lote::FragmentWriter writer(!raw);
    if (count == 0) return versos::lote::answer_lines(writer);
    if (count != 3) return wrong_command_line("expected MODE FROM TO, or no arguments", "");
    return write_range(writer, positional[0], positional[1], positional[2]);
}
