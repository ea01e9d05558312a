#include "windows_console.h"

namespace versos::windows {

bool is_console(HANDLE handle) {
    DWORD mode;
    return GetConsoleMode(handle, &mode) != 0;
}

bool write_console(HANDLE console, std::u16string_view letters) {
    // In pieces, as a console takes only so much at once; a piece never ends
    // between the two halves of a surrogate pair.
    constexpr std::size_t kPiece = 8192;
    while (!letters.empty()) {
        std::size_t n = letters.size() < kPiece ? letters.size() : kPiece;
        if (n < letters.size() && letters[n - 1] >= 0xD800 && letters[n - 1] <= 0xDBFF) --n;
        DWORD written = 0;
        if (!WriteConsoleW(console, letters.data(), static_cast<DWORD>(n), &written, nullptr) || written == 0)
            return false;
        letters.remove_prefix(written);
    }
    return true;
}

}  // namespace versos::windows
