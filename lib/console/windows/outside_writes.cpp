// Writes past the device on the Windows console: letters through the
// console's Unicode output, colours as the console's text attribute. The
// device reads the cursor from the console, so it need not be told.
#include "lib/console/outside_writes.h"

#include <windows.h>

#include "lib/charsets/cp850.h"
#include "lib/charsets/utf16.h"
#include "lib/posix_io/windows_console.h"

namespace versos::console {
namespace {

HANDLE standard_error_console() {
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    return err != nullptr && err != INVALID_HANDLE_VALUE && windows::is_console(err) ? err : nullptr;
}

}  // namespace

void write_on_standard_error(const std::string& utf8) {
    std::fflush(stderr);
    if (const HANDLE console = standard_error_console()) {
        windows::write_console(console, charsets::utf8_to_utf16(utf8));
        return;
    }
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

void after_standard_output() { std::fflush(stdout); }

void write_coloured_line(const std::vector<ColouredPiece>& pieces) {
    std::fflush(stderr);
    const HANDLE console = standard_error_console();
    CONSOLE_SCREEN_BUFFER_INFO found;
    if (console == nullptr || !GetConsoleScreenBufferInfo(console, &found)) {
        std::string bytes;
        for (const ColouredPiece& piece : pieces) bytes += piece.text;
        std::fwrite(bytes.data(), 1, bytes.size(), stderr);
        std::fflush(stderr);
        return;
    }
    for (const ColouredPiece& piece : pieces) {
        SetConsoleTextAttribute(console, piece.attr);
        windows::write_console(console, charsets::utf8_to_utf16(cp850::utf8_text(piece.text, true)));
    }
    SetConsoleTextAttribute(console, found.wAttributes);
}

}  // namespace versos::console
