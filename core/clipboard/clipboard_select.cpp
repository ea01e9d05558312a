// Chooses the session's clipboard, once per process.
#include <climits>
#include <cstdlib>

#include "core/clipboard/clipboard_device.h"
#include "core/clipboard/desktop_clipboard.h"
#include "core/clipboard/file/clipboard_file.h"

namespace versos {
namespace {

ClipboardDevice* override_device = nullptr;

ClipboardDevice& choose() {
    const char* named = std::getenv("VERSOS_CLIPBOARD_FILE");
    if (named != nullptr && named[0] != '\0') {
        static FileClipboard named_file(named, false);
        return named_file;
    }
    if (ClipboardDevice* desktop = desktop_clipboard()) return *desktop;
    char path[PATH_MAX];
    if (!default_clipboard_path(path, sizeof path)) path[0] = '\0';  // too long: the device refuses to open
    static FileClipboard default_file(path, true);
    return default_file;
}

}  // namespace

ClipboardDevice& session_clipboard() {
    if (override_device != nullptr) return *override_device;
    static ClipboardDevice& chosen = choose();
    return chosen;
}

void use_clipboard(ClipboardDevice* device) { override_device = device; }

}  // namespace versos
