#include "core/clipboard/file/clipboard_file.h"

#include <cerrno>
#include <cstring>

#include "core/clipboard/file/clipboard_file_system.h"
#include "lib/charsets/cp1252.h"
#include "lib/posix_io/posix_io.h"

namespace versos {
namespace {

using file_clipboard::Entry;
using file_clipboard::kTempSuffix;
using file_clipboard::look_at;

constexpr char kLockSuffix[] = ".lock";

bool join(char* out, std::size_t size, const char* a, const char* b) {
    const std::size_t la = std::strlen(a), lb = std::strlen(b);
    if (la + lb >= size) return false;
    std::memcpy(out, a, la);
    std::memcpy(out + la, b, lb + 1);
    return true;
}

std::string failed(const char* path, int error) { return std::string(path) + ": " + std::strerror(error); }

}  // namespace

FileClipboard::FileClipboard(const char* path, bool private_folder) : private_folder_(private_folder) {
    char probe[kClipboardPathMax];
    valid_ = path[0] != '\0' && join(path_, sizeof path_, path, "") && join(probe, sizeof probe, path, kLockSuffix) &&
             join(probe, sizeof probe, path, kTempSuffix);
    if (valid_) file_clipboard::folder_of(path_, folder_);
}

FileClipboard::~FileClipboard() { close(); }

bool FileClipboard::folder_usable(std::string* why) const {
    if (!valid_) {
        if (why) *why = "the clipboard path is too long";
        return false;
    }
    if (!private_folder_) return true;  // the caller's own choice of file
    return file_clipboard::private_folder(folder_, why);
}

// The lock and temporary names are the path with a suffix: within the
// longest path (checked once, in the constructor), but the last component
// may still be too long for the folder's file system.
bool FileClipboard::names_fit(std::string* why) const {
    char temp[kClipboardPathMax];
    join(temp, sizeof temp, path_, kTempSuffix);
    if (file_clipboard::name_fits(temp)) return true;
    if (why) *why = std::string(path_) + ": the clipboard name is too long";
    return false;
}

bool FileClipboard::open() {
    if (lock_fd_ >= 0) return false;  // already open: a second open fails, as on Windows
    if (!folder_usable(nullptr)) return false;
    // Only a regular file (or none) is a clipboard. Emptying and setting act
    // on the name, never through it: something swapped in after this look is
    // at worst removed or replaced itself, and what a link points to is
    // never touched.
    const Entry entry = look_at(path_, nullptr);
    if (entry != Entry::missing && entry != Entry::regular) return false;
    if (!names_fit(nullptr)) return false;
    char lock_path[kClipboardPathMax];
    join(lock_path, sizeof lock_path, path_, kLockSuffix);
    const int fd = file_clipboard::open_regular(lock_path, true, nullptr, nullptr);
    if (fd < 0) return false;
    if (!file_clipboard::lock_now(fd)) {  // held by another program
        file_clipboard::close_file(fd);
        return false;
    }
    lock_fd_ = fd;
    return true;
}

void FileClipboard::empty() {
    if (lock_fd_ >= 0) file_clipboard::remove_name(path_);
}

bool FileClipboard::set_text(const char* text, std::size_t length) {
    if (lock_fd_ < 0) return false;
    return file_clipboard::replace_with(path_, text, length);
}

bool FileClipboard::close() {
    if (lock_fd_ < 0) return false;
    file_clipboard::close_file(lock_fd_);  // releases the lock
    lock_fd_ = -1;
    return true;
}

ReadResult FileClipboard::read_text(TextFormat format, std::string& out, std::string& why) {
    if (!folder_usable(&why)) return ReadResult::unreachable;
    // A lock that is not a regular file keeps every run from opening the
    // clipboard: whatever is at PATH, no run put it there.
    char lock_path[kClipboardPathMax];
    join(lock_path, sizeof lock_path, path_, kLockSuffix);
    if (look_at(lock_path, &why) == Entry::other) return ReadResult::unreachable;
    bool missing = false;
    const int fd = file_clipboard::open_regular(path_, false, &why, &missing);
    if (fd < 0) {
        if (!missing) return ReadResult::unreachable;
        if (!file_clipboard::folder_exists(folder_, &why)) return ReadResult::unreachable;
        // Nothing was ever written, or it was emptied; unless no run could
        // ever write there.
        return names_fit(&why) ? ReadResult::no_text : ReadResult::unreachable;
    }
    // Read one byte past the limit to tell a file of exactly the limit from
    // a longer one, or one still growing.
    std::string bytes;
    char block[65536];
    for (;;) {
        const std::size_t room = kFileItemLimit + 1 - bytes.size();
        const std::size_t want = room < sizeof block ? room : sizeof block;
        const std::ptrdiff_t n = posix_io::read_full(fd, block, want);
        if (n < 0) {
            why = failed(path_, errno);
            file_clipboard::close_file(fd);
            return ReadResult::unreachable;
        }
        bytes.append(block, static_cast<std::size_t>(n));
        if (static_cast<std::size_t>(n) < want || bytes.size() > kFileItemLimit) break;
    }
    file_clipboard::close_file(fd);
    if (bytes.size() > kFileItemLimit) {
        why = std::string(path_) + ": more than " + std::to_string(kFileItemLimit >> 20) +
              " MiB, too large for a clipboard text";
        return ReadResult::unreachable;
    }
    if (format == TextFormat::utf8)
        append_cp1252_as_utf8(bytes.data(), bytes.size(), out);
    else
        out += bytes;
    return ReadResult::text;
}

}  // namespace versos
