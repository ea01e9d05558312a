// Bounded copy, append and format into fixed text buffers. No fragment comes
// near the 255 bytes of the shared buffers (the longest is 66); the bound is
// there so that no change to a word list can overrun one.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace versos {

template <std::size_t N>
void copy_text(char (&target)[N], const char* source) {
    const std::size_t n = std::min(std::strlen(source), N - 1);
    std::memmove(target, source, n);
    target[n] = '\0';
}

template <std::size_t N>
void append_text(char (&target)[N], const char* source) {
    const std::size_t used = std::strlen(target);
    const std::size_t n = std::min(std::strlen(source), N - 1 - used);
    std::memmove(target + used, source, n);
    target[used + n] = '\0';
}

template <std::size_t N, typename... Texts>
void format_text(char (&target)[N], const char* format, const Texts*... texts) {
    // A text longer than the buffer is cut short rather than overrunning it.
    if (std::snprintf(target, N, format, texts...) < 0) target[0] = '\0';
}

}  // namespace versos
