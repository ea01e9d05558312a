// The clipboard writers. Each works on the session's clipboard device (see
// clipboard_device.h) and never reports to the user; the verse command
// ignores their results.
#pragma once

namespace versos {

// Replaces the whole content of the clipboard by one text item holding
// exactly the bytes of `text` (Windows-1252, unconverted; an empty text is
// an empty item). Returns 0 without changing anything when the clipboard
// can't be opened, otherwise the result of closing it (1). The verse command
// makes it where str2clip hands its fragments.
int put_on_clipboard(const char* text);

// Leaves the clipboard with no item at all. Results as put_on_clipboard.
int clearclip();

// A second writer with the same effect as put_on_clipboard when the
// clipboard can be opened and none otherwise; always returns 0. Nothing in
// the generator calls it.
int portapapeles(const char* text);

}  // namespace versos
