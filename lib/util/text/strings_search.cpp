// Search and comparison.
#include <versos/util/strings.h>

#include <cstring>

namespace versos {

namespace {

// First index at or after start where part matches, trying each position in
// turn; -1 if none. An empty part matches at start when start is inside the
// text.
long find_from(const char* text, const char* part, std::size_t start) {
    const std::size_t len = std::strlen(text);
    const std::size_t part_len = std::strlen(part);
    if (start >= len) return -1;
    for (std::size_t i = start; i + part_len <= len; ++i)
        if (std::memcmp(text + i, part, part_len) == 0) return static_cast<long>(i);
    return -1;
}

}  // namespace

int instrn_(const char* text, const char* part, int start) {
    return static_cast<int>(find_from(text, part, start > 0 ? static_cast<std::size_t>(start) : 0));
}

int instrabs_(const char* text, const char* part) { return static_cast<int>(find_from(text, part, 0) + 1); }

int instrabsn_(const char* text, const char* part, int from) {
    if (from <= 0) return 0;
    return static_cast<int>(find_from(text, part, static_cast<std::size_t>(from - 1)) + 1);
}

int igualstr_(const char* a, const char* b) { return std::strcmp(a, b) == 0 ? 1 : 0; }
int strcmp_(const char* a, const char* b) { return igualstr_(a, b); }

}  // namespace versos
