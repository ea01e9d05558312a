// What a stdio input stream holds read ahead, and whether it was read from.
#pragma once

#include <cstdio>

namespace versos::console::stdio_input {

// True if the stream's buffer holds bytes not yet read, which its
// descriptor no longer shows; false where the C library does not tell.
bool buffered(std::FILE* stream);

// Where reading through the stream stands: any read through it changes it,
// where the C library tells (elsewhere every mark is the same).
struct ReadMark {
    const void* base = nullptr;
    const void* next = nullptr;
    const void* end = nullptr;
    friend bool operator==(const ReadMark&, const ReadMark&) = default;
};
ReadMark read_mark(std::FILE* stream);

}  // namespace versos::console::stdio_input
