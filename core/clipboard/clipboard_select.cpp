// Chooses the session's clipboard, once per process.
#include <string>

#include "core/clipboard/clipboard_device.h"
#include "core/clipboard/desktop_clipboard.h"
#include "core/clipboard/file/clipboard_file.h"

namespace versos {
namespace {

ClipboardDevice* override_device = nullptr;

ClipboardDevice& choose() {
    const std::string named = named_clipboard_file();
    if (!named.empty()) {
        static FileClipboard named_file(named.c_str(), false);
        return named_file;
    }
    if (ClipboardDevice* desktop = desktop_clipboard()) return *desktop;
    char path[kClipboardPathMax];
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
