#include "program_text.h"

#include <windows.h>

#include <cstdio>

#include "lib/charsets/utf16.h"
#include "windows_console.h"
#include "windows_errors.h"

namespace versos::program {
namespace {

bool write_bytes(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD n = bytes.size() < (DWORD{1} << 30) ? static_cast<DWORD>(bytes.size()) : DWORD{1} << 30;
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), n, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

bool write_text(Stream stream, std::string_view text, Encoding encoding, std::string* why) {
    std::fflush(stream == Stream::out ? stdout : stderr);
    const HANDLE handle = GetStdHandle(stream == Stream::out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        if (why) *why = "no standard output to write to";
        return false;
    }
    bool written;
    if (windows::is_console(handle)) {
        const std::u16string letters = encoding == Encoding::utf8 ? charsets::utf8_to_utf16(text)
                                                                  : charsets::cp1252_to_utf16(text.data(), text.size());
        written = windows::write_console(handle, letters);
    } else {
        written = write_bytes(handle, text);
    }
    if (!written && why) *why = windows::error_text(GetLastError());
    return written;
}

void message(std::string_view text) { write_text(Stream::err, text, Encoding::utf8); }

}  // namespace versos::program
