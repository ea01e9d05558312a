#include <versos/util/line_input.h>

#include "stdio_names.h"

#include <cstdlib>

namespace versos {

char* __LINEINPUT_STR_ = nullptr;

namespace {

constexpr int kLineBuffer = 512;
constexpr int kMostBytes = 20480;

}  // namespace

char* lineinput_(std::FILE* stream) {
    if (!__LINEINPUT_STR_) __LINEINPUT_STR_ = static_cast<char*>(std::malloc(kLineBuffer));
    if (!__LINEINPUT_STR_) return nullptr;
    char* line = __LINEINPUT_STR_;
    line[0] = '\0';
    flockfile(stream);
    int stored = 0;
    while (!feof_unlocked(stream) && stored < kLineBuffer - 1) {
        const int c = getc_unlocked(stream);
        if (c == '\n' || c == EOF) break;
        line[stored++] = static_cast<char>(c);
    }
    funlockfile(stream);
    line[stored] = '\0';
    return line;
}

char* line_input_(char* buffer, std::FILE* stream) {
    buffer[0] = '\0';
    flockfile(stream);
    int place = 0;
    while (!feof_unlocked(stream) && !ferror_unlocked(stream) && place < kMostBytes) {
        const int c = getc_unlocked(stream);
        buffer[place++] = c == '\n' || c == EOF ? '\0' : static_cast<char>(c);
    }
    funlockfile(stream);
    buffer[place] = '\0';
    return buffer + place;
}

}  // namespace versos
