// On Windows the desktop clipboard is the Windows clipboard, always there.
// DISPLAY means nothing here (Wine passes it through from the X side).
#include "core/clipboard/desktop_clipboard.h"
#include "core/clipboard/windows/clipboard_windows.h"

namespace versos {

ClipboardDevice* desktop_clipboard() {
    static WindowsClipboard windows;
    return &windows;
}

}  // namespace versos
