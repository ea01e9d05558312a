// The subcommands of ficheros: each calls the routine of its name and tells
// whether the routine's result means success.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include <cstdio>
#include <string>
#include <vector>

#include <versos/util.h>

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

// -1 is both the failure and a possible estimate: the failure record tells
// them apart.
template <int (*routine)(const char*)>
Outcome estimate(char** a) {
    clear_file_failure();
    const int r = routine(a[0]);
    return {r, r != -1 || last_file_failure().text[0] == '\0'};
}

// Windows-1252 to UTF-8 for the report's words, whose letters all lie where
// Windows-1252 and Latin-1 agree (0xA0 and up).
std::string utf8_of(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | b >> 6);
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

// The routine prints its words in code page 850, for the console it was
// made for; a person at a terminal here reads UTF-8. Its report is captured
// and converted.
Outcome report(char** a) {
    if (openprints_() != 0) return {-1, false, false};
    const int r = numcerosmatf_(a[0]);
    std::string text;
    char piece[4096];
    int delivered;
    do {
        piece[0] = '\0';  // printsn_ goes on from where the text in it ends
        delivered = printsn_(piece, sizeof piece);
        if (delivered == 1 || delivered == 2) text += piece;
    } while (delivered == 2);
    closeprints_();
    if (r != 0) return {r, false, false};
    if (delivered != 1) {
        std::fputs("ficheros: numcerosmatf: the report could not be kept to be shown\n", stderr);
        return {-1, false, false};
    }
    std::vector<char> converted(text.begin(), text.end());
    converted.push_back('\0');
    dos2win(converted.data());
    std::fputs(utf8_of(converted.data()).c_str(), stdout);
    return {0, true, false};
}

template <int (*rotation)(unsigned char, int)>
Outcome rotate(char** a) {
    int c = 0, n = 0;
    parse_int(a[0], 0, 255, c);  // both checked before the run (Args::bits)
    parse_int(a[1], 0, INT_MAX, n);
    return {rotation(static_cast<unsigned char>(c), n), true};
}

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
     estimate<cerosahorradosf_>},
    {"cerosahorradosbisf", "FILE", "the same as cerosahorradosf", 1, Args::files, estimate<cerosahorradosbisf_>},
    {"cerosahorradosplusf", "FILE", "bytes the extended zero-run format would save on FILE", 1, Args::files,
     estimate<cerosahorradosplusf_>},
    {"cerosahorradosplusf1", "FILE", "the same as cerosahorradosplusf", 1, Args::files,
     estimate<cerosahorradosplusf1_>},
    {"numcerosmatf", "FILE", "report how many runs of zeros of each length FILE holds", 1, Args::files, report},
    {"codef", "SRC DST KEY", "XOR-code SRC into DST with KEY (the same command decodes)", 3, Args::keyed,
     keyed_done_if_one<codef_>},
    {"codef1", "SRC DST KEY", "the same as codef", 3, Args::keyed, keyed_done_if_one<codef1_>},
    {"codebitf", "SRC DST KEY", "code SRC into DST with KEY, XOR and bit rotation", 3, Args::keyed,
     keyed_done_if_one<codebitf_>},
    {"decodebitf", "SRC DST KEY", "decode what codebitf coded", 3, Args::keyed, keyed_done_if_one<decodebitf_>},
    {"codexef", "SRC DST KEY", "compress (zero-run format) and XOR-code SRC into DST", 3, Args::keyed,
     pipeline<codexef_, codexe_completo, codexe_solo_codificado>},
    {"dcodexef", "SRC DST KEY", "decode and expand what codexef coded", 3, Args::keyed,
     pipeline<dcodexef_, codexe_completo, dcodexe_solo_decodificado>},
    {"codexebisf", "SRC DST KEY", "compress (extended format) and code SRC into DST", 3, Args::keyed,
     pipeline<codexebisf_, codexe_completo, codexebis_solo_codificado>},
    {"decodexebisf", "SRC DST KEY", "decode and expand what codexebisf coded", 3, Args::keyed,
     pipeline<decodexebisf_, codexe_completo, dcodexe_solo_decodificado>},
    {"copyf", "SRC DST", "copy SRC to DST", 2, Args::files, done_if_one<copyf_>},
    {"movef", "SRC DST", "move SRC to DST: a rename where it can be, else a copy", 2, Args::files, done_if_one<movef_>},
    {"rbitchar", "C N", "the byte C (0 to 255) rotated right by N bits", 2, Args::bits, rotate<rbitchar_>},
    {"lbitchar", "C N", "the byte C (0 to 255) rotated left by N bits", 2, Args::bits, rotate<lbitchar_>},
    {nullptr, nullptr, nullptr, 0, Args::files, nullptr},
};

}  // namespace versos::ficheros
