#include "core/clipboard/file/clipboard_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lib/charsets/cp1252.h"
#include "lib/posix_io/posix_io.h"

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

const char* kind_of(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    return "an odd file";
}

std::string not_regular(const char* path, mode_t mode) {
    return std::string(path) + ": not a regular file (" + kind_of(mode) + ")";
}

std::string failed(const char* path, int error) { return std::string(path) + ": " + std::strerror(error); }

enum class Entry { missing, regular, other, error };

// What is at `path`, the name itself: a link is not followed, and nothing is
// opened, since opening a device or a FIFO may act on it.
Entry look_at(const char* path, std::string* why) {
    struct stat st;
    if (::lstat(path, &st) != 0) {
        if (errno == ENOENT) return Entry::missing;
        if (why) *why = failed(path, errno);
        return Entry::error;
    }
    if (S_ISREG(st.st_mode)) return Entry::regular;
    if (why) *why = not_regular(path, st.st_mode);
    return Entry::other;
}

// Opens `path` only if it is a regular file, judged on the descriptor itself
// so that a name swapped after the look is caught all the same. Returns -1,
// with `why` set, otherwise; errno is ENOENT when there is nothing there.
int open_regular(const char* path, int flags, std::string* why) {
    if (look_at(path, why) == Entry::other) {
        errno = 0;
        return -1;
    }
    const int fd = ::open(path, flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        if (why) *why = error == ELOOP ? not_regular(path, S_IFLNK) : failed(path, error);
        errno = error;
        return -1;
    }
    struct stat st;
    const bool looked = ::fstat(fd, &st) == 0;
    if (looked && S_ISREG(st.st_mode)) return fd;
    if (why) *why = looked ? not_regular(path, st.st_mode) : failed(path, errno);
    ::close(fd);
    errno = 0;
    return -1;
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

// The lock and temporary names are the path with a suffix: within PATH_MAX
// (checked once, in the constructor), but the last component may still be
// too long for the folder's file system.
bool FileClipboard::names_fit(std::string* why) const {
    char temp[PATH_MAX];
    join(temp, sizeof temp, path_, kTempSuffix);
    struct stat st;
    if (::lstat(temp, &st) == 0 || errno != ENAMETOOLONG) return true;
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
    char lock_path[PATH_MAX];
    join(lock_path, sizeof lock_path, path_, kLockSuffix);
    const int fd = open_regular(lock_path, O_RDWR | O_CREAT, nullptr);
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
    const bool written = posix_io::write_all(fd, text, length);
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
    // A lock that is not a regular file keeps every run from opening the
    // clipboard: whatever is at PATH, no run put it there.
    char lock_path[PATH_MAX];
    join(lock_path, sizeof lock_path, path_, kLockSuffix);
    if (look_at(lock_path, &why) == Entry::other) return ReadResult::unreachable;
    const int fd = open_regular(path_, O_RDONLY, &why);
    if (fd < 0) {
        if (errno != ENOENT) return ReadResult::unreachable;
        struct stat folder;
        if (::stat(folder_, &folder) != 0 || !S_ISDIR(folder.st_mode)) {
            why = failed(folder_, ENOENT);
            return ReadResult::unreachable;
        }
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
            ::close(fd);
            return ReadResult::unreachable;
        }
        bytes.append(block, static_cast<std::size_t>(n));
        if (static_cast<std::size_t>(n) < want || bytes.size() > kFileItemLimit) break;
    }
    ::close(fd);
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
