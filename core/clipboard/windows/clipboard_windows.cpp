#include "core/clipboard/windows/clipboard_windows.h"

#include <windows.h>

#include <cstring>
#include <string_view>

#include "lib/charsets/utf16.h"
#include "lib/posix_io/windows_errors.h"

namespace versos {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

// How long an open waits for another holder to let go, and how often it asks.
constexpr ULONGLONG kOpenPatienceMs = 1000;
constexpr DWORD kOpenStepMs = 10;

bool open_clipboard() {
    const ULONGLONG deadline = GetTickCount64() + kOpenPatienceMs;
    for (;;) {
        if (OpenClipboard(nullptr)) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kOpenStepMs);
    }
}

// A movable block holding `size` bytes from `bytes`, or none.
HGLOBAL block_of(const void* bytes, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (block == nullptr) return nullptr;
    void* at = GlobalLock(block);
    if (at == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(at, bytes, size);
    GlobalUnlock(block);
    return block;
}

// Hands `block` to the open clipboard, which owns it from then on; a block
// it refuses stays ours and is freed.
bool give(UINT format, HGLOBAL block) {
    if (block == nullptr) return false;
    if (SetClipboardData(format, block) != nullptr) return true;
    GlobalFree(block);
    return false;
}

// The text of a clipboard item up to its NUL, never past its block.
template <typename Unit>
bool read_item(UINT format, std::basic_string<Unit>& out) {
    HANDLE data = GetClipboardData(format);
    if (data == nullptr) return false;
    const Unit* at = static_cast<const Unit*>(GlobalLock(data));
    if (at == nullptr) return false;
    const std::size_t units = GlobalSize(data) / sizeof(Unit);
    std::size_t length = 0;
    while (length < units && at[length] != 0) ++length;
    out.assign(at, length);
    GlobalUnlock(data);
    return true;
}

}  // namespace

WindowsClipboard::~WindowsClipboard() { close(); }

bool WindowsClipboard::open() {
    if (open_) return false;  // already open: a second open fails, as for any holder
    open_ = open_clipboard();
    return open_;
}

void WindowsClipboard::empty() {
    if (open_) EmptyClipboard();
}

bool WindowsClipboard::set_text(const char* text, std::size_t length) {
    if (!open_) return false;
    // Both blocks end in a NUL; an empty text is still an item.
    const std::u16string letters = charsets::cp1252_to_utf16(text, length);
    std::string bytes(text, length);
    const bool as_text = give(CF_TEXT, block_of(bytes.c_str(), length + 1));
    const bool as_unicode = give(CF_UNICODETEXT, block_of(letters.c_str(), (letters.size() + 1) * sizeof(char16_t)));
    return as_text && as_unicode;
}

bool WindowsClipboard::close() {
    if (!open_) return false;
    open_ = false;
    return CloseClipboard() != 0;
}

ReadResult WindowsClipboard::read_text(TextFormat format, std::string& out, std::string& why) {
    if (!open_clipboard()) {
        why = "the Windows clipboard is held by another program: " + windows::error_text(GetLastError());
        return ReadResult::unreachable;
    }
    std::u16string letters;
    std::string bytes;
    ReadResult result = ReadResult::text;
    if (read_item(CF_UNICODETEXT, letters)) {
        if (format == TextFormat::utf8)
            charsets::append_utf16_as_utf8(letters, out);
        else
            charsets::append_utf16_as_cp1252(letters, out);
    } else if (read_item(CF_TEXT, bytes)) {
        if (format == TextFormat::utf8)
            charsets::append_utf16_as_utf8(charsets::cp1252_to_utf16(bytes.data(), bytes.size()), out);
        else
            out += bytes;
    } else {
        result = ReadResult::no_text;
    }
    CloseClipboard();
    return result;
}

}  // namespace versos
