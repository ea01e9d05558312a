// On X11 the desktop clipboard is the CLIPBOARD selection of the display
// that DISPLAY names.
#include <cstdlib>

#include "core/clipboard/desktop_clipboard.h"
#include "core/clipboard/x11/clipboard_x11.h"

namespace versos {

ClipboardDevice* desktop_clipboard() {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0') return nullptr;
    // Constructed only when chosen: runs on the file clipboard never touch X11.
    static X11Clipboard x11;
    return &x11;
}

}  // namespace versos
