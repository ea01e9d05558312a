#include "versos/util/codepages.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>

#include "lib/charsets/cp1252_cp850.h"

namespace versos {

char* __ASCII_SPANISH_STR_ = nullptr;

namespace {

using ByteMap = std::array<unsigned char, 256>;

constexpr ByteMap identity_map() {
    ByteMap map{};
    for (unsigned i = 0; i < 256; ++i) map[i] = static_cast<unsigned char>(i);
    return map;
}

// The look-alike that the console table holds for each code-page-850
// character Windows-1252 lacks: shades, blocks and vertical lines a broken
// bar, corners and crossings a plus sign, horizontal lines a hyphen, the
// dotless i a plain i, the lower half block a low line, the upper half block
// a macron, the double low line an equals sign.
struct LookAlike {
    unsigned char code;
    unsigned char shown_as;
};
constexpr LookAlike kLookAlikes[] = {
    {176, 0xA6}, {177, 0xA6}, {178, 0xA6}, {179, 0xA6}, {180, 0xA6}, {185, 0xA6}, {186, 0xA6}, {204, 0xA6},
    {219, 0xA6}, {254, 0xA6}, {187, 0x2B}, {188, 0x2B}, {191, 0x2B}, {192, 0x2B}, {195, 0x2B}, {197, 0x2B},
    {200, 0x2B}, {201, 0x2B}, {206, 0x2B}, {217, 0x2B}, {218, 0x2B}, {193, 0x2D}, {194, 0x2D}, {196, 0x2D},
    {202, 0x2D}, {203, 0x2D}, {205, 0x2D}, {213, 0x69}, {220, 0x5F}, {223, 0xAF}, {242, 0x3D}};
static_assert(std::size(kLookAlikes) == 31);

// Console table: entry i is the Windows-1252 byte that shows the
// code-page-850 character 128 + i, the same character where Windows-1252 has
// it, else its look-alike.
constexpr std::array<unsigned char, 128> make_console_table() {
    std::array<unsigned char, 128> table{};
    for (unsigned i = 0; i < 128; ++i) table[i] = cp1252_cp850::to_cp1252(static_cast<unsigned char>(128 + i));
    for (const LookAlike& l : kLookAlikes) table[l.code - 128] = l.shown_as;
    return table;
}

constexpr bool look_alikes_only_where_lacking() {
    for (const LookAlike& l : kLookAlikes)
        if (cp1252_cp850::cp1252_has(l.code)) return false;
    return true;
}
static_assert(look_alikes_only_where_lacking());
constexpr std::array<unsigned char, 128> kConsoleTable = make_console_table();

// Table conversion: the first entry holding the byte wins.
constexpr ByteMap make_first_match_map() {
    ByteMap map = identity_map();
    for (unsigned b = 128; b < 256; ++b) {
        for (unsigned i = 0; i < 128; ++i) {
            if (kConsoleTable[i] == b) {
                map[b] = static_cast<unsigned char>(128 + i);
                break;
            }
        }
    }
    return map;
}

template <typename Convert>
constexpr ByteMap map_of(Convert convert) {
    ByteMap map{};
    for (unsigned i = 0; i < 256; ++i) map[i] = convert(static_cast<unsigned char>(i));
    return map;
}

constexpr ByteMap kFirstMatch = make_first_match_map();
constexpr ByteMap kDosToWin = map_of(cp1252_cp850::to_cp1252);
constexpr ByteMap kWinToDos =
    map_of([](unsigned char b) { return cp1252_cp850::to_cp850(b, cp1252_cp850::Lacking::keep); });

struct BytePair {
    unsigned char from;
    unsigned char to;
};

template <std::size_t N>
constexpr ByteMap map_with(const BytePair (&pairs)[N], bool ascii_lower) {
    ByteMap map = identity_map();
    if (ascii_lower)
        for (unsigned c = 'A'; c <= 'Z'; ++c) map[c] = static_cast<unsigned char>(c + 32);
    for (const BytePair& p : pairs) map[p.from] = p.to;
    return map;
}

// Windows-1252 capitals and their small letters.
constexpr BytePair kSpanishLower[] = {{0xC0, 0xE0}, {0xC1, 0xE1},                // À Á
                                      {0xC8, 0xE8}, {0xC9, 0xE9},                // È É
                                      {0xCC, 0xEC}, {0xCD, 0xED},                // Ì Í
                                      {0xD2, 0xF2}, {0xD3, 0xF3},                // Ò Ó
                                      {0xD9, 0xF9}, {0xDA, 0xFA}, {0xDC, 0xFC},  // Ù Ú Ü
                                      {0xD1, 0xF1},                              // Ñ
                                      {0xC7, 0xE7}};                             // Ç

constexpr BytePair kAcuteLower[] = {{0xC1, 0xE1}, {0xC9, 0xE9}, {0xCD, 0xED}, {0xD3, 0xF3}, {0xDA, 0xFA},  // Á É Í Ó Ú
                                    {0xD1, 0xF1}, {0xDC, 0xFC}};                                           // Ñ Ü

constexpr BytePair kFolding[] = {
    {0xC0, 'A'}, {0xC1, 'A'}, {0xC2, 'A'}, {0xC3, 'A'}, {0xC4, 'A'}, {0xC5, 'A'}, {0xE0, 'a'}, {0xE1, 'a'},
    {0xE2, 'a'}, {0xE4, 'a'}, {0xE5, 'a'}, {0xC7, 'C'}, {0xE7, 'c'}, {0xC8, 'E'}, {0xC9, 'E'}, {0xCA, 'E'},
    {0xCB, 'E'}, {0xE8, 'e'}, {0xE9, 'e'}, {0xEA, 'e'}, {0xEB, 'e'}, {0xCC, 'I'}, {0xCD, 'I'}, {0xCE, 'I'},
    {0xCF, 'I'}, {0xEC, 'i'}, {0xED, 'i'}, {0xEE, 'i'}, {0xEF, 'i'}, {0xD1, 'N'}, {0xF1, 'n'}, {0xD2, 'O'},
    {0xD3, 'O'}, {0xD4, 'O'}, {0xD5, 'O'}, {0xD6, 'O'}, {0xF0, 'o'}, {0xF2, 'o'}, {0xF3, 'o'}, {0xF4, 'o'},
    {0xF5, 'o'}, {0xF6, 'o'}, {0xDC, 'U'}, {0xF9, 'u'}, {0xFA, 'u'}, {0xFB, 'u'}, {0xFC, 'u'}};

constexpr ByteMap kSpanishLowerMap = map_with(kSpanishLower, true);
constexpr ByteMap kAcuteLowerMap = map_with(kAcuteLower, true);
constexpr ByteMap kFoldingMap = map_with(kFolding, false);

void convert_in_place(char* text, const ByteMap& map) {
    for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p; ++p) *p = map[*p];
}

// Forward byte-by-byte copy, safe when target == source or target lies before
// source in the same buffer.
void convert_copy(char* target, const char* source, const ByteMap& map) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(source);
    unsigned char* t = reinterpret_cast<unsigned char*>(target);
    while (*s) *t++ = map[*s++];
    *t = 0;
}

bool is_ascii_letter_or_digit(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// HTML 4 names of the Latin-1 characters 0xA1 to 0xFF.
constexpr const char* kEntityNames[95] = {
    "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",   "ordf",   "laquo",
    "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",
    "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute",
    "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",
    "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute",
    "icirc",  "iuml",   "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash",
    "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

constexpr bool entity_names_fit() {
    for (const char* name : kEntityNames) {
        std::size_t n = 0;
        while (name[n]) ++n;
        if (n + 2 > 8) return false;  // '&', name, ';' in 8 characters
    }
    return true;
}
static_assert(entity_names_fit());

std::size_t g_ascii_spanish_capacity = 0;

bool points_into_result_buffer(const char* p) {
    if (__ASCII_SPANISH_STR_ == nullptr) return false;
    std::less_equal<const char*> le;
    std::less<const char*> lt;
    return le(__ASCII_SPANISH_STR_, p) && lt(p, __ASCII_SPANISH_STR_ + g_ascii_spanish_capacity);
}

}  // namespace

const char* str2ascii_(const char* text) {
    // A previous result (or a text inside it) converts in place: resizing
    // first could move or free the very bytes being read.
    if (points_into_result_buffer(text)) {
        convert_copy(__ASCII_SPANISH_STR_, text, kFirstMatch);
        return __ASCII_SPANISH_STR_;
    }
    std::size_t size = std::strlen(text) + 1;
    void* resized = std::realloc(__ASCII_SPANISH_STR_, size);
    if (resized == nullptr) return text;
    __ASCII_SPANISH_STR_ = static_cast<char*>(resized);
    g_ascii_spanish_capacity = size;
    convert_copy(__ASCII_SPANISH_STR_, text, kFirstMatch);
    return __ASCII_SPANISH_STR_;
}

void str_ascii_(char* target, const char* source) { convert_copy(target, source, kFirstMatch); }

int char2ascii_(int code) {
    if (code < 128 || code > 255) return code;
    return kFirstMatch[static_cast<unsigned>(code)];
}

void win2dos(char* text) { convert_in_place(text, kWinToDos); }

void dos2win(char* text) { convert_in_place(text, kDosToWin); }

int lcasespain_(char* text) {
    int other = 0;
    for (unsigned char* p = reinterpret_cast<unsigned char*>(text); *p; ++p) {
        if (!other && !is_ascii_letter_or_digit(*p)) other = 1;
        *p = kSpanishLowerMap[*p];
    }
    return other;
}

void lcasespainvoid_(char* text) { convert_in_place(text, kAcuteLowerMap); }

void simplificastr_(char* text) { convert_in_place(text, kFoldingMap); }

void car2html_(char* target, char c) {
    target[0] = '\0';
    unsigned char code = static_cast<unsigned char>(c);
    if (code < 0xA1) return;
    const char* name = kEntityNames[code - 0xA1];
    std::size_t n = std::strlen(name);
    target[0] = '&';
    std::memcpy(target + 1, name, n);
    target[n + 1] = ';';
    target[n + 2] = '\0';
}

}  // namespace versos
