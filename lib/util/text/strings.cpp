// Length, copy, substrings, reversal, trims and case changes.
#include <versos/util/strings.h>

#include "text_bytes.h"

#include <cstdlib>
#include <cstring>

namespace versos {

namespace {

int length_of(const char* text) { return static_cast<int>(std::strlen(text)); }

// Copies count bytes from source to target and ends the text there; source
// and target may overlap (left_ and mid_ are used in place).
void copy_part(char* target, const char* source, std::size_t count) {
    std::memmove(target, source, count);
    target[count] = '\0';
}

}  // namespace

int lencadena_(const char* text) { return length_of(text); }
int strlen_(const char* text) { return length_of(text); }
int len_(const char* text) { return length_of(text); }

void cpy_(char* target, const char* source) { copy_part(target, source, std::strlen(source)); }

void strcpy_(char* target, const char* source) { cpy_(target, source); }

void cat_(char* target, const char* source) {
    // Measured before writing, so that appending a text to itself works.
    const std::size_t added = std::strlen(source);
    char* end = target + std::strlen(target);
    copy_part(end, source, added);
}

void strcat_(char* target, const char* source) { cat_(target, source); }

void catleft_(char* text, const char* prefix) {
    const std::size_t text_len = std::strlen(text);
    const std::size_t prefix_len = std::strlen(prefix);
    // A prefix taken from the text itself moves along with the text.
    const bool inside = prefix >= text && prefix <= text + text_len;
    std::memmove(text + prefix_len, text, text_len + 1);
    if (inside) prefix += prefix_len;
    std::memmove(text, prefix, prefix_len);
}

void left_(const char* source, char* target, int n) {
    if (n <= 0) {
        target[0] = '\0';
        return;
    }
    const std::size_t count = strnlen(source, static_cast<std::size_t>(n));
    copy_part(target, source, count);
}

void right_(const char* source, char* target, int n) {
    if (n <= 0) {
        target[0] = '\0';
        return;
    }
    const std::size_t len = std::strlen(source);
    const std::size_t count = static_cast<std::size_t>(n) < len ? static_cast<std::size_t>(n) : len;
    copy_part(target, source + (len - count), count);
}

void mid_(const char* source, char* target, int from, int to) {
    if (from <= 0 || to <= 0 || to < from) {
        target[0] = '\0';
        return;
    }
    const std::size_t len = std::strlen(source);
    const auto first = static_cast<std::size_t>(from - 1);
    if (first >= len) {
        target[0] = '\0';
        return;
    }
    const auto last = static_cast<std::size_t>(to - 1);  // inclusive
    const std::size_t count = (last < len ? last + 1 : len) - first;
    copy_part(target, source + first, count);
}

void mid2end_(const char* source, char* target, int from) {
    const std::size_t len = std::strlen(source);
    if (from < 1 || static_cast<std::size_t>(from) > len) {
        target[0] = '\0';
        return;
    }
    const auto first = static_cast<std::size_t>(from - 1);
    copy_part(target, source + first, len - first);
}

void sololeft_(char* text, int n) {
    if (n <= 0) {
        text[0] = '\0';
        return;
    }
    // Never write past the text's own NUL.
    if (strnlen(text, static_cast<std::size_t>(n)) == static_cast<std::size_t>(n)) text[n] = '\0';
}

void solomid2end_(char* text, int from) { mid2end_(text, text, from); }

void rellenastr(char* buffer, char c, int n) {
    const std::size_t count = n > 0 ? static_cast<std::size_t>(n) : 0;
    std::memset(buffer, static_cast<unsigned char>(c), count);
    buffer[count] = '\0';
}

void revstr_(char* text) {
    std::size_t len = std::strlen(text);
    for (std::size_t i = 0; len > 1 && i < len - 1; ++i, --len) {
        const char c = text[i];
        text[i] = text[len - 1];
        text[len - 1] = c;
    }
}

char* revstr(const char* text) {
    const std::size_t len = std::strlen(text);
    auto* copy = static_cast<char*>(std::malloc(len + 1));
    if (copy == nullptr) {
        // Still something the caller may free like any other result.
        copy = static_cast<char*>(std::malloc(1));
        if (copy != nullptr) copy[0] = '\0';
        return copy;
    }
    for (std::size_t i = 0; i < len; ++i) copy[i] = text[len - 1 - i];
    copy[len] = '\0';
    return copy;
}

const char* ltrim(const char* text) {
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r') ++text;
    return text;
}

char* ltrim(char* text) { return const_cast<char*>(ltrim(static_cast<const char*>(text))); }

void ltrim_(char* text) {
    std::size_t skip = 0;
    while (detail::is_blank(text[skip])) ++skip;
    if (skip > 0) std::memmove(text, text + skip, std::strlen(text + skip) + 1);
}

void rtrim_(char* text) {
    std::size_t len = std::strlen(text);
    while (len > 0 && detail::is_blank(text[len - 1])) text[--len] = '\0';
}

void trim_(char* text) {
    ltrim_(text);
    rtrim_(text);
}

void mayuscula_(char* text) {
    for (; *text; ++text)
        if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
}

void minuscula_(char* text) {
    for (; *text; ++text)
        if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
}

namespace {

// Lower/upper pairs of the accented letters of code page 850.
struct CasePair {
    unsigned char lower, upper;
};
constexpr CasePair cp850_pairs[] = {
    {130, 144},  // é É
    {129, 154},  // ü Ü
    {164, 165},  // ñ Ñ
    {160, 181},  // á Á
    {161, 214},  // í Í
    {162, 224},  // ó Ó
    {163, 233},  // ú Ú
};

unsigned char lower_byte(unsigned char b) {
    if (b >= 'A' && b <= 'Z') return static_cast<unsigned char>(b - 'A' + 'a');
    for (const CasePair& p : cp850_pairs)
        if (b == p.upper) return p.lower;
    return b;
}

unsigned char upper_byte(unsigned char b) {
    if (b >= 'a' && b <= 'z') return static_cast<unsigned char>(b - 'a' + 'A');
    for (const CasePair& p : cp850_pairs)
        if (b == p.lower) return p.upper;
    return b;
}

// Applies a byte mapping to a value given as unsigned or signed char, and
// answers in the same form.
int map_char(int c, unsigned char (*map)(unsigned char)) {
    if (c < -128 || c > 255) return c;
    const unsigned char mapped = map(static_cast<unsigned char>(c));
    return c < 0 ? static_cast<signed char>(mapped) : mapped;
}

void map_text(char* target, const char* source, unsigned char (*map)(unsigned char)) {
    std::size_t i = 0;
    for (; source[i]; ++i) target[i] = static_cast<char>(map(static_cast<unsigned char>(source[i])));
    target[i] = '\0';
}

}  // namespace

int lcasechr_(int c) { return map_char(c, lower_byte); }
int ucasechr_(int c) { return map_char(c, upper_byte); }

void lcasestr_(char* target, const char* source) { map_text(target, source, lower_byte); }
void ucasestr_(char* target, const char* source) { map_text(target, source, upper_byte); }

double cuadrado_(double x) { return x * x; }
double cubo_(double x) { return x * x * x; }

}  // namespace versos
