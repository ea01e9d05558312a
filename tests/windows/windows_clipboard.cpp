#include "tests/windows/windows_clipboard.h"

#include <gtest/gtest.h>

#include <cstring>

namespace versos::testing {
namespace {

bool open_clipboard() {
    for (int tries = 0; tries < 500; ++tries) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(10);
    }
    ADD_FAILURE() << "the test can't open the clipboard: " << GetLastError();
    return false;
}

HGLOBAL block_of(const void* bytes, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    return block;
}

}  // namespace

std::optional<std::string> clipboard_bytes(UINT format) {
    if (!open_clipboard()) return std::nullopt;
    std::optional<std::string> item;
    if (HANDLE data = GetClipboardData(format)) {
        const char* at = static_cast<const char*>(GlobalLock(data));
        const std::size_t size = GlobalSize(data);
        const std::size_t unit = format == CF_UNICODETEXT ? 2 : 1;
        std::size_t length = 0;
        while (length + unit <= size && std::memcmp(at + length, "\0\0", unit) != 0) length += unit;
        item.emplace(at, length);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return item;
}

std::optional<std::u16string> clipboard_letters() {
    const std::optional<std::string> bytes = clipboard_bytes(CF_UNICODETEXT);
    if (!bytes) return std::nullopt;
    std::u16string letters(bytes->size() / 2, u'\0');
    std::memcpy(letters.data(), bytes->data(), bytes->size());
    return letters;
}

void set_clipboard(const std::optional<std::string>& text, const std::optional<std::u16string>& letters) {
    if (!open_clipboard()) return;
    EmptyClipboard();
    if (text) {
        EXPECT_NE(SetClipboardData(CF_TEXT, block_of(text->c_str(), text->size() + 1)), nullptr);
    }
    if (letters) {
        EXPECT_NE(SetClipboardData(CF_UNICODETEXT, block_of(letters->c_str(), (letters->size() + 1) * 2)), nullptr);
    }
    CloseClipboard();
}

ClipboardHolder::ClipboardHolder(DWORD milliseconds)
    : held_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), let_go_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this, milliseconds] {
        // A window belongs to the thread that made it: made, used and
        // destroyed here.
        const HWND window =
            CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        const bool open = window != nullptr && OpenClipboard(window);
        EXPECT_TRUE(open) << "the holder can't open the clipboard: " << GetLastError();
        SetEvent(held_);
        WaitForSingleObject(let_go_, milliseconds);
        if (open) CloseClipboard();
        if (window != nullptr) DestroyWindow(window);
    });
    WaitForSingleObject(held_, INFINITE);
}

ClipboardHolder::~ClipboardHolder() {
    SetEvent(let_go_);
    thread_.join();
    CloseHandle(held_);
    CloseHandle(let_go_);
}

}  // namespace versos::testing
