// The formatted message, the same on every system: formatted here, written
// by message().
#include <cstdarg>
#include <cstdio>
#include <string>

#include "program_text.h"

namespace versos::program {

void messagef(const char* format, ...) {
    std::va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    char small[512];
    const int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0) {
        va_end(again);
        return;
    }
    if (static_cast<std::size_t>(n) < sizeof small) {
        va_end(again);
        message(std::string_view(small, static_cast<std::size_t>(n)));
        return;
    }
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    text.pop_back();
    message(text);
}

}  // namespace versos::program
