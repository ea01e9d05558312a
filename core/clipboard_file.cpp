#include "core/clipboard_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/cp1252.h"

namespace versos {
namespace {

constexpr char kLockSuffix[] = ".lock";
constexpr char kTempSuffix[] = ".XXXXXX";

bool join(char* out, std::size_t size, const char* a, const char* b) {
    const std::size_t la = std::strlen(a), lb = std::strlen(b);
    if (la + lb >= size) return false;
    std::memcpy(out, a, la);
    std::memcpy(out + la, b, lb + 1);
    return true;
}

bool write_all(int fd, const char* data, std::size_t length) {
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

FileClipboard::FileClipboard(const char* path, bool private_folder) : private_folder_(private_folder) {
    char probe[PATH_MAX];
    valid_ = path[0] != '\0' && join(path_, sizeof path_, path, "") && join(probe, sizeof probe, path, kLockSuffix) &&
             join(probe, sizeof probe, path, kTempSuffix);
    if (!valid_) return;
    std::memcpy(folder_, path_, sizeof folder_);
    char* slash = std::strrchr(folder_, '/');
    if (slash == nullptr)
        std::strcpy(folder_, ".");
    else if (slash == folder_)
        slash[1] = '\0';  // a file in /
    else
        *slash = '\0';
}

FileClipboard::~FileClipboard() { close(); }

bool FileClipboard::folder_usable(std::string* why) const {
    if (!valid_) {
        if (why) *why = "the clipboard path is too long";
        return false;
    }
    if (!private_folder_) return true;  // the caller's own choice of file
    if (::mkdir(folder_, 0700) == 0) return true;
    struct stat st;
    if (errno != EEXIST || ::lstat(folder_, &st) != 0) {
        if (why) *why = std::string(folder_) + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        if (why) *why = std::string(folder_) + ": not a folder of this user";
        return false;
    }
    return true;
}

bool FileClipboard::open() {
    if (lock_fd_ >= 0) return false;  // already open: a second open fails, as on Windows
    if (!folder_usable(nullptr)) return false;
    char lock_path[PATH_MAX];
    join(lock_path, sizeof lock_path, path_, kLockSuffix);
    const int fd = ::open(lock_path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {  // held by another program
        ::close(fd);
        return false;
    }
    lock_fd_ = fd;
    return true;
}

void FileClipboard::empty() {
    if (lock_fd_ >= 0) ::unlink(path_);
}

bool FileClipboard::set_text(const char* text, std::size_t length) {
    if (lock_fd_ < 0) return false;
    char temp[PATH_MAX];
    join(temp, sizeof temp, path_, kTempSuffix);
    const int fd = ::mkstemp(temp);  // mode 0600: the clipboard is the user's alone
    if (fd < 0) return false;
    const bool written = write_all(fd, text, length);
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temp, path_) == 0) return true;
    ::unlink(temp);
    return false;
}

bool FileClipboard::close() {
    if (lock_fd_ < 0) return false;
    ::close(lock_fd_);  // releases the lock
    lock_fd_ = -1;
    return true;
}

ReadResult FileClipboard::read_text(TextFormat format, std::string& out, std::string& why) {
    if (!folder_usable(&why)) return ReadResult::unreachable;
    const int fd = ::open(path_, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat folder;
        const bool folder_exists = ::stat(folder_, &folder) == 0 && S_ISDIR(folder.st_mode);
        if (error == ENOENT && folder_exists) return ReadResult::no_text;  // nothing was ever written, or emptied
        why = std::string(folder_exists ? path_ : folder_) + ": " + std::strerror(folder_exists ? error : ENOENT);
        return ReadResult::unreachable;
    }
    std::string bytes;
    char block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            why = std::string(path_) + ": " + std::strerror(errno);
            ::close(fd);
            return ReadResult::unreachable;
        }
        bytes.append(block, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (format == TextFormat::utf8)
        append_cp1252_as_utf8(bytes.data(), bytes.size(), out);
    else
        out += bytes;
    return ReadResult::text;
}

bool default_clipboard_path(char* out, std::size_t size) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    int n;
    if (runtime != nullptr && runtime[0] != '\0')
        n = std::snprintf(out, size, "%s/versos/clipboard", runtime);
    else
        n = std::snprintf(out, size, "/tmp/versos-%u/clipboard", static_cast<unsigned>(::geteuid()));
    return n >= 0 && static_cast<std::size_t>(n) < size;
}

}  // namespace versos
