// Windows-1252 (the library's text) and code page 850 (the console's): the
// one table between them, built at compile time from the characters of both
// code pages.
//
// 97 characters of the upper halves are in both. Each side lacks 31 of the
// other's:
// - Windows-1252's 0x80 to 0x9F but 0x83 (the euro sign, quotation marks,
//   dashes, the undefined bytes...) are not in code page 850. Two rules for
//   them, named by `Lacking`: win2dos keeps the byte, so that dos2win gives
//   the text back; a console box shows '?', since the same byte in code page
//   850 is another letter (0x80 would show as Ç).
// - Code page 850's box drawing, shading, blocks, dotless i, double low line
//   and black square are not in Windows-1252: dos2win keeps them.
#pragma once

#include <array>

#include "lib/charsets/cp1252.h"
#include "lib/charsets/cp850.h"

namespace versos::cp1252_cp850 {

enum class Lacking : unsigned char {
    keep,          // the byte stays as it is (win2dos)
    question_mark  // '?' (what the console shows)
};

namespace table {

using ByteMap = std::array<unsigned char, 256>;
inline constexpr unsigned char kNone = 0;  // no byte 0x80..0xFF holds the character

// For each code-page-850 byte, the Windows-1252 byte of the same character;
// kNone for the 31 that Windows-1252 lacks. Bytes below 0x80 are themselves.
constexpr ByteMap make_to_cp1252() {
    ByteMap map{};
    for (unsigned b = 0; b < 0x80; ++b) map[b] = static_cast<unsigned char>(b);
    for (unsigned d = 0x80; d < 0x100; ++d) {
        map[d] = kNone;
        for (unsigned w = 0x80; w < 0x100; ++w)
            if (cp1252_code_point(static_cast<unsigned char>(w)) == cp850::kHigh[d - 0x80])
                map[d] = static_cast<unsigned char>(w);
    }
    return map;
}
inline constexpr ByteMap kToCp1252 = make_to_cp1252();

// The inverse: kNone for the 31 Windows-1252 bytes that code page 850 lacks.
constexpr ByteMap make_to_cp850() {
    ByteMap map{};
    for (unsigned b = 0; b < 0x80; ++b) map[b] = static_cast<unsigned char>(b);
    for (unsigned d = 0x80; d < 0x100; ++d)
        if (kToCp1252[d] != kNone) map[kToCp1252[d]] = static_cast<unsigned char>(d);
    return map;
}
inline constexpr ByteMap kToCp850 = make_to_cp850();

constexpr unsigned count_lacking(const ByteMap& map) {
    unsigned n = 0;
    for (unsigned b = 0x80; b < 0x100; ++b) n += map[b] == kNone;
    return n;
}
static_assert(count_lacking(kToCp1252) == 31 && count_lacking(kToCp850) == 31);

}  // namespace table

// Whether code page 850 has the character of Windows-1252 byte `byte`.
constexpr bool cp850_has(unsigned char byte) { return table::kToCp850[byte] != table::kNone; }

// Whether Windows-1252 has the character of code-page-850 byte `byte`.
constexpr bool cp1252_has(unsigned char byte) { return table::kToCp1252[byte] != table::kNone; }

// The code-page-850 byte of a Windows-1252 byte; one code page 850 lacks
// follows `rule`.
constexpr unsigned char to_cp850(unsigned char byte, Lacking rule) {
    if (cp850_has(byte)) return table::kToCp850[byte];
    return rule == Lacking::keep ? byte : static_cast<unsigned char>('?');
}

// The Windows-1252 byte of a code-page-850 byte; one Windows-1252 lacks stays.
constexpr unsigned char to_cp1252(unsigned char byte) { return cp1252_has(byte) ? table::kToCp1252[byte] : byte; }

}  // namespace versos::cp1252_cp850
