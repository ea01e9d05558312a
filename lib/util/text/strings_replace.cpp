// Replacement and removal of characters and substrings, in place.
#include <versos/util/strings.h>

#include "text_bytes.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace versos {

void cambiachar_(char* text, char old_char, char new_char) {
    for (; *text; ++text)
        if (*text == old_char) *text = new_char;
}

namespace {

// Keeps the characters for which keep(c) holds, closing up the gaps.
template <typename Keep>
void keep_if(char* text, Keep keep) {
    char* out = text;
    for (const char* in = text; *in; ++in)
        if (keep(*in)) *out++ = *in;
    *out = '\0';
}

}  // namespace

void quitachar(char* text, char c) {
    keep_if(text, [c](char x) { return x != c; });
}

void quitavarioschar_(char* text, const char* set) {
    bool in_set[256] = {};
    for (; *set; ++set) in_set[static_cast<unsigned char>(*set)] = true;
    keep_if(text, [&in_set](char x) { return !in_set[static_cast<unsigned char>(x)]; });
}

void qdup_(char* text, char c) {
    if (c == '\0') return;
    char previous = '\0';
    keep_if(text, [&previous, c](char x) {
        const bool keep = !(x == c && previous == c);
        previous = x;
        return keep;
    });
}

int qdupn_(char* text, char c, int from, int to) {
    if (c == '\0' || from <= 0 || to <= 0 || to < from) return 0;
    const std::size_t len = std::strlen(text);
    const auto first = static_cast<std::size_t>(from - 1);
    if (first >= len) return 0;
    const std::size_t last = static_cast<std::size_t>(to - 1) < len ? static_cast<std::size_t>(to - 1) : len - 1;
    std::size_t out = first + 1;
    char previous = text[first];
    for (std::size_t in = first + 1; in <= last; ++in) {
        const char x = text[in];
        if (!(x == c && previous == c)) text[out++] = x;
        previous = x;
    }
    const std::size_t removed = last + 1 - out;
    std::memmove(text + out, text + last + 1, len - last);  // the tail and its NUL
    return static_cast<int>(removed);
}

void crunch_(char* text, char c) {
    trim_(text);
    qdup_(text, c);
}

void sindupstr_(char* text) {
    bool seen[256] = {};
    keep_if(text, [&seen](char x) {
        bool& s = seen[static_cast<unsigned char>(x)];
        const bool first = !s;
        s = true;
        return first;
    });
}

void sindupstrbis_(char* text) { sindupstr_(text); }

void quitastr_(char* text, const char* part, int start) {
    const std::size_t part_len = std::strlen(part);
    const std::size_t len = std::strlen(text);
    const std::size_t first = start > 0 ? static_cast<std::size_t>(start) : 0;
    if (part_len == 0 || first >= len) return;
    // Writing never overtakes reading, so the text is rebuilt where it lies.
    std::size_t out = first;
    std::size_t in = first;
    while (in < len) {
        if (len - in >= part_len && std::memcmp(text + in, part, part_len) == 0)
            in += part_len;
        else
            text[out++] = text[in++];
    }
    text[out] = '\0';
}

int cambiastr_(char* text, const char* old_text, const char* new_text) {
    const std::string_view old_part(old_text);
    const std::string_view new_part(new_text);
    if (*text == '\0' || old_part.empty() || new_part.empty()) return 0;
    // Searching again from the start would find old inside every new forever;
    // then the replacement text is passed over instead.
    const bool new_holds_old = new_part.find(old_part) != std::string_view::npos;
    std::size_t len = std::strlen(text);
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = std::string_view(text, len).find(old_part, from);
        if (at == std::string_view::npos) return -1;
        std::memmove(text + at + new_part.size(), text + at + old_part.size(), len - at - old_part.size() + 1);
        std::memcpy(text + at, new_part.data(), new_part.size());
        len = len - old_part.size() + new_part.size();
        if (new_holds_old)
            from = at + new_part.size();
        else
            // Nothing before the match held old, so a new match starts at the
            // earliest where old can reach into the replacement.
            from = at + 1 > old_part.size() ? at + 1 - old_part.size() : 0;
    }
}

void cmbstr_(char* text, const char* old_text, const char* new_text, int start) {
    cmbstrn_(text, old_text, new_text, start, -1);
}

int cmbstrn_(char* text, const char* old_text, const char* new_text, int start, int n) {
    const std::size_t old_len = std::strlen(old_text);
    const std::size_t new_len = std::strlen(new_text);
    const std::size_t len = std::strlen(text);
    const std::size_t first = start > 0 ? static_cast<std::size_t>(start) : 0;
    if (old_len == 0 || first > len) return n;

    // One pass finds the matches, left to right, never inside a replacement.
    // `remaining` counts down from n; a negative n never reaches 0.
    auto for_each_piece = [&](auto&& on_match, auto&& on_char) {
        long long remaining = n;
        std::size_t i = first;
        while (i < len) {
            if (remaining != 0 && len - i >= old_len && std::memcmp(text + i, old_text, old_len) == 0) {
                on_match(i);
                --remaining;
                i += old_len;
            } else {
                on_char(i);
                ++i;
            }
        }
    };

    std::size_t matches = 0;
    for_each_piece([&](std::size_t) { ++matches; }, [](std::size_t) {});
    const long long result = static_cast<long long>(n) - static_cast<long long>(matches);
    if (matches == 0) return n;

    if (new_len <= old_len) {
        // The result is no longer than the text: build it in place.
        std::size_t out = first;
        for_each_piece(
            [&](std::size_t) {
                std::memmove(text + out, new_text, new_len);
                out += new_len;
            },
            [&](std::size_t i) { text[out++] = text[i]; });
        text[out] = '\0';
        return static_cast<int>(result);
    }

    const std::size_t result_len = len + matches * (new_len - old_len);
    auto* work = static_cast<char*>(std::malloc(result_len + 1));
    if (work == nullptr) return -1;
    std::memcpy(work, text, first);
    std::size_t out = first;
    for_each_piece(
        [&](std::size_t) {
            std::memcpy(work + out, new_text, new_len);
            out += new_len;
        },
        [&](std::size_t i) { work[out++] = text[i]; });
    work[out] = '\0';
    std::memcpy(text, work, result_len + 1);
    std::free(work);
    return static_cast<int>(result);
}

}  // namespace versos
