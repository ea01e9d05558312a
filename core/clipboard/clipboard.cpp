#include "core/clipboard/clipboard.h"

#include <cstring>

#include "core/clipboard/clipboard_device.h"

namespace versos {

int put_on_clipboard(const char* text) {
    ClipboardDevice& clip = session_clipboard();
    if (!clip.open()) return 0;
    clip.empty();
    // Whether the item is accepted is not examined: the clipboard stays
    // empty then, as emptied above.
    clip.set_text(text, std::strlen(text));
    return clip.close() ? 1 : 0;
}

int clearclip() {
    ClipboardDevice& clip = session_clipboard();
    if (!clip.open()) return 0;
    clip.empty();
    return clip.close() ? 1 : 0;
}

int portapapeles(const char* text) {
    ClipboardDevice& clip = session_clipboard();
    // The open is not examined; emptying and handing over a text do nothing
    // on a clipboard that was not opened.
    if (clip.open()) {
        clip.empty();
        clip.set_text(text, std::strlen(text));
        clip.close();
    }
    return 0;
}

}  // namespace versos
