// The file clipboard: one file holding the text item's exact bytes, for
// sessions without a display or when VERSOS_CLIPBOARD_FILE names one.
//
//   open       exclusive flock on PATH.lock, without waiting: another holder
//              means "held by another program";
//   empty      remove PATH (no item at all);
//   set text   write a temporary file in the same folder and rename it onto
//              PATH, so that a reader never sees part of an item (an empty
//              file is an empty text item);
//   close      release the lock.
//
// Only a regular file is a clipboard: when PATH or PATH.lock is anything
// else (a folder, device, FIFO, socket, or a symbolic link, even to a
// regular file), the clipboard can't be opened and nothing there is touched.
// A link is refused rather than followed because the rename would replace
// the link itself, and writing through it would give up the whole-item
// replacement.
#pragma once

#include <climits>

#include "core/clipboard/clipboard_device.h"

namespace versos {

// The largest file read as a text item. versos writes at most 256 bytes; a
// file written by something else may be longer, but one beyond this (or one
// that never ends) is not a clipboard text.
inline constexpr std::size_t kFileItemLimit = std::size_t{4} << 20;

class FileClipboard final : public ClipboardDevice {
public:
    // With `private_folder`, the folder of `path` is made with mode 0700 when
    // missing and refused unless it is a real directory of this user.
    FileClipboard(const char* path, bool private_folder);
    ~FileClipboard() override;
    FileClipboard(const FileClipboard&) = delete;
    FileClipboard& operator=(const FileClipboard&) = delete;

    bool open() override;
    void empty() override;
    bool set_text(const char* text, std::size_t length) override;
    bool close() override;
    ReadResult read_text(TextFormat format, std::string& out, std::string& why) override;

    const char* path() const { return path_; }

private:
    bool folder_usable(std::string* why) const;
    bool names_fit(std::string* why) const;

    char path_[PATH_MAX] = {};
    char folder_[PATH_MAX] = {};
    bool valid_ = false;  // the path and its lock and temporary names fit
    bool private_folder_;
    int lock_fd_ = -1;
};

// The embedded default for machines without a display:
// $XDG_RUNTIME_DIR/versos/clipboard, or /tmp/versos-UID/clipboard when
// XDG_RUNTIME_DIR is unset. False if the name does not fit `size`.
bool default_clipboard_path(char* out, std::size_t size);

}  // namespace versos
