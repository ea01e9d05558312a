#include <versos/util/clock_text.h>

#include <cstddef>
#include <ctime>

namespace versos {

namespace {

// The local time formatted into `size` bytes, every '/' then made the
// separator.
void now_as_text(char* target, std::size_t size, const char* format, char separator) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || !localtime_r(&now, &local) ||
        std::strftime(target, size, format, &local) == 0) {
        target[0] = '\0';
        return;
    }
    for (char* p = target; *p; ++p)
        if (*p == '/') *p = separator;
}

}  // namespace

void hoy_(char* target, char separator) { now_as_text(target, 11, "%d/%m/%Y", separator); }

void hora_(char* target, char separator) { now_as_text(target, 9, "%H/%M/%S", separator); }

}  // namespace versos
