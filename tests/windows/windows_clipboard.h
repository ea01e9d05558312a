// The Windows clipboard as the tests see it from outside the programs:
// reading each text format as it is, setting it, and holding it open as
// another program would.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <thread>

namespace versos::testing {

// The clipboard's item of `format` up to its NUL (CF_TEXT: its bytes;
// CF_UNICODETEXT: its UTF-16 units); nothing when it has no such item.
std::optional<std::string> clipboard_bytes(UINT format);
std::optional<std::u16string> clipboard_letters();

// Replaces the clipboard's content by the given items (none for an empty
// optional).
void set_clipboard(const std::optional<std::string>& text, const std::optional<std::u16string>& letters);

// Holds the clipboard open from a thread of its own, with a window of its
// own as a clipboard manager does (Wine lets two openers without a window
// share it): from construction, which returns once it is held, until
// `milliseconds` later or the destruction, whichever comes first.
class ClipboardHolder {
public:
    explicit ClipboardHolder(DWORD milliseconds = INFINITE);
    ~ClipboardHolder();
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;

private:
    HANDLE held_;
    HANDLE let_go_;
    std::thread thread_;
};

}  // namespace versos::testing
