// The file clipboard: one file holding the text item's exact bytes, for
// sessions without a display or when VERSOS_CLIPBOARD_FILE names one.
//
//   open       exclusive flock on PATH.lock, without waiting: another holder
//              means "held by another program";
//   empty      remove PATH (no item at all);
//   set text   write a temporary file in the same folder and rename it onto
//              PATH, so that a reader sees the old item or the new, never a
//              part (an empty file is an empty text item);
//   close      release the lock.
#pragma once

#include <climits>

#include "core/clipboard_device.h"

namespace versos {

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
