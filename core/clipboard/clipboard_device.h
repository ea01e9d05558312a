// The platform clipboard, reduced to the four steps the clipboard writers
// are built from, plus the read that versos-pegar needs.
#pragma once

#include <cstddef>
#include <string>

namespace versos {

enum class TextFormat { windows1252, utf8 };
enum class ReadResult { text, no_text, unreachable };

class ClipboardDevice {
public:
    virtual ~ClipboardDevice() = default;

    // Takes the clipboard for this process without waiting; false when
    // another program holds it or it can't be reached.
    virtual bool open() = 0;
    // Removes every item. Only called between a successful open and close.
    virtual void empty() = 0;
    // Makes `text` (length bytes, no conversion) the one text item. Only
    // called between a successful open and close; false if refused.
    virtual bool set_text(const char* text, std::size_t length) = 0;
    // Releases the clipboard to other programs.
    virtual bool close() = 0;

    // Reads the text item in the given format into `out`. On `unreachable`,
    // `why` says what failed, for a message.
    virtual ReadResult read_text(TextFormat format, std::string& out, std::string& why) = 0;
};

// The clipboard of this user session, chosen once, on first use:
// VERSOS_CLIPBOARD_FILE when set and not empty; the X11 CLIPBOARD selection
// when DISPLAY is set; otherwise the file clipboard in the user's runtime
// folder.
ClipboardDevice& session_clipboard();

// Test seam: makes the writers use `device` instead; nullptr restores the
// session's clipboard.
void use_clipboard(ClipboardDevice* device);

}  // namespace versos
