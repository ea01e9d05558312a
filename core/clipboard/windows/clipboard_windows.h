// The Windows clipboard, through USER32:
//
//   open       OpenClipboard with no owner window, retried for about a
//              second in short steps while another program holds it (a
//              clipboard manager or a reader holds it only for a moment, and
//              the fragment would otherwise be lost without a word);
//   empty      EmptyClipboard;
//   set text   the exact Windows-1252 bytes as CF_TEXT, and the same letters
//              as CF_UNICODETEXT, so that a reader whose code page is not
//              1252 sees them too (Windows would otherwise make its Unicode
//              text from CF_TEXT in that reader's code page);
//   close      CloseClipboard.
//
// Windows keeps the items after the process ends: no owner process stays.
#pragma once

#include "core/clipboard/clipboard_device.h"

namespace versos {

class WindowsClipboard final : public ClipboardDevice {
public:
    ~WindowsClipboard() override;

    bool open() override;
    void empty() override;
    bool set_text(const char* text, std::size_t length) override;
    bool close() override;
    // CF_UNICODETEXT, or CF_TEXT read as Windows-1252 when there is none;
    // as Windows-1252, a letter the code page lacks is '?'.
    ReadResult read_text(TextFormat format, std::string& out, std::string& why) override;

private:
    bool open_ = false;
};

}  // namespace versos
