// The subcommands of ficheros: each calls the routine of its name and tells
// whether the routine's result means success.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include <versos/util.h>

#include "lib/util/files/compression_files.h"
#include "ficheros.h"

namespace versos::ficheros {
namespace {

using TwoFiles = int (*)(const char*, const char*);
using Keyed = int (*)(const char*, const char*, const char*);

template <TwoFiles routine>
Outcome done_if_one(char** a) {
    const int r = routine(a[0], a[1]);
    return {r, r == 1};
}

template <Keyed routine>
Outcome keyed_done_if_one(char** a) {
    const int r = routine(a[0], a[1], a[2]);
    return {r, r == 1};
}

// A pipeline succeeded when every step of its path did.
template <Keyed routine, int with_compression, int without>
Outcome pipeline(char** a) {
    const int r = routine(a[0], a[1], a[2]);
    return {r, r == with_compression || r == without};
}

Outcome zero_test(char** a) {
    const int r = tienecerosf_(a[0]);
    return {r, r != -1};
}

// -1 is both the failure and a possible estimate: the scan tells them apart.
template <zeroruns::Format format>
Outcome estimate(char** a) {
    const std::optional<std::int64_t> total = zeroruns::saving_estimate(format, a[0]);
    return {zeroruns::estimate_result(total), total.has_value()};
}

// The routine prints its words in code page 850, for the console it was
// made for; a person at a terminal here reads UTF-8.
Outcome report(char** a) {
    zeroruns::RunReport runs;
    if (!zeroruns::run_report(a[0], runs)) return {-1, false, false};
    zeroruns::print_run_report(runs, "M\xC3\xA1ximo n\xC3\xBAmero de ceros");
    return {0, true, false};
}

template <int (*rotation)(unsigned char, int)>
Outcome rotate(char** a) {
    int c = 0, n = 0;
    parse_int(a[0], 0, 255, c);  // both checked before the run (Args::bits)
    parse_int(a[1], 0, INT_MAX, n);
    return {rotation(static_cast<unsigned char>(c), n), true};
}

using zeroruns::Format;

}  // namespace

bool parse_int(const char* text, long low, long high, int& value) {
    // Decimal unless marked hexadecimal: 010 is ten, 08 is eight.
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = hex ? text + 2 : text;
    if (hex ? !std::isxdigit(static_cast<unsigned char>(*digits)) : !std::isdigit(static_cast<unsigned char>(*digits)))
        return false;  // no sign, blank or empty text
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || v < low || v > high) return false;
    value = static_cast<int>(v);
    return true;
}

const Command kCommands[] = {
    {"comprexe", "SRC DST", "compress SRC into DST in the zero-run format", 2, Args::files, done_if_one<comprexe_>},
    {"dcomprexe", "SRC DST", "expand SRC, in the zero-run format, into DST", 2, Args::files, done_if_one<dcomprexe_>},
    {"comprexebis", "SRC DST", "compress SRC into DST in the extended zero-run format", 2, Args::files,
     done_if_one<comprexebis_>},
    {"dcomprexebis", "SRC DST", "expand SRC, in the extended zero-run format, into DST", 2, Args::files,
     done_if_one<dcomprexebis_>},
    {"tienecerosf", "FILE", "1 if FILE holds a zero byte, else 0", 1, Args::files, zero_test},
    {"cerosahorradosf", "FILE", "bytes the zero-run format would save on FILE (estimate)", 1, Args::files,
     estimate<Format::plain>},
    {"cerosahorradosbisf", "FILE", "the same as cerosahorradosf", 1, Args::files, estimate<Format::plain>},
    {"cerosahorradosplusf", "FILE", "bytes the extended zero-run format would save on FILE", 1, Args::files,
     estimate<Format::extended>},
    {"cerosahorradosplusf1", "FILE", "the same as cerosahorradosplusf", 1, Args::files, estimate<Format::extended>},
    {"numcerosmatf", "FILE", "report how many runs of zeros of each length FILE holds", 1, Args::files, report},
    {"codef", "SRC DST KEY", "XOR-code SRC into DST with KEY (the same command decodes)", 3, Args::keyed,
     keyed_done_if_one<codef_>},
    {"codef1", "SRC DST KEY", "the same as codef", 3, Args::keyed, keyed_done_if_one<codef1_>},
    {"codebitf", "SRC DST KEY", "code SRC into DST with KEY, XOR and bit rotation", 3, Args::keyed,
     keyed_done_if_one<codebitf_>},
    {"decodebitf", "SRC DST KEY", "decode what codebitf coded", 3, Args::keyed, keyed_done_if_one<decodebitf_>},
    {"codexef", "SRC DST KEY", "compress (zero-run format) and XOR-code SRC into DST", 3, Args::keyed,
     pipeline<codexef_, 15, 4>},
    {"dcodexef", "SRC DST KEY", "decode and expand what codexef coded", 3, Args::keyed, pipeline<dcodexef_, 15, 12>},
    {"codexebisf", "SRC DST KEY", "compress (extended format) and code SRC into DST", 3, Args::keyed,
     pipeline<codexebisf_, 15, 20>},
    {"decodexebisf", "SRC DST KEY", "decode and expand what codexebisf coded", 3, Args::keyed,
     pipeline<decodexebisf_, 15, 12>},
    {"copyf", "SRC DST", "copy SRC to DST", 2, Args::files, done_if_one<copyf_>},
    {"movef", "SRC DST", "copy SRC to DST, then remove SRC", 2, Args::files, done_if_one<movef_>},
    {"rbitchar", "C N", "the byte C (0 to 255) rotated right by N bits", 2, Args::bits, rotate<rbitchar_>},
    {"lbitchar", "C N", "the byte C (0 to 255) rotated left by N bits", 2, Args::bits, rotate<lbitchar_>},
    {nullptr, nullptr, nullptr, 0, Args::files, nullptr},
};

}  // namespace versos::ficheros
