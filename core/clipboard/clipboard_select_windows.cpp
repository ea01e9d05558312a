// Chooses the session's clipboard on Windows, once per process: the Windows
// clipboard. DISPLAY means nothing here (Wine passes it through).
#include "core/clipboard/clipboard_device.h"
#include "core/clipboard/windows/clipboard_windows.h"

namespace versos {
namespace {

ClipboardDevice* override_device = nullptr;

}  // namespace

ClipboardDevice& session_clipboard() {
    if (override_device != nullptr) return *override_device;
    static WindowsClipboard windows;
    return windows;
}

void use_clipboard(ClipboardDevice* device) { override_device = device; }

}  // namespace versos
