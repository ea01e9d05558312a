#include <versos/util/repeated_text.h>

#include <cstdlib>
#include <cstring>

namespace versos {

char* __REPCHAR_STR_ = nullptr;

namespace {

// __REPCHAR_STR_ holding `length` bytes c; false if it can't.
bool repeat_into_result(char c, int length) {
    if (length < 0) return false;
    const std::size_t bytes = static_cast<std::size_t>(length) + 1;
    char* resized = static_cast<char*>(std::realloc(__REPCHAR_STR_, bytes));
    if (!resized) return false;
    __REPCHAR_STR_ = resized;
    std::memset(resized, c, bytes - 1);
    resized[bytes - 1] = '\0';
    return true;
}

}  // namespace

int centralin_(const char* text, int width, std::FILE* stream) {
    const long long length = static_cast<long long>(std::strlen(text));
    if (length < width) freputc_(' ', static_cast<int>((width - length) / 2), stream);
    return std::fprintf(stream, "%s\n", text);
}

int freputc_(int c, int count, std::FILE* stream) {
    for (int i = 0; i < count; ++i) std::fputc(static_cast<unsigned char>(c), stream);
    return 0;
}

const char* repchar_(const char* text, int length) {
    return repeat_into_result(text[0], length) ? __REPCHAR_STR_ : text;
}

char* repch_(int c, int length) { return repeat_into_result(static_cast<char>(c), length) ? __REPCHAR_STR_ : nullptr; }

}  // namespace versos
