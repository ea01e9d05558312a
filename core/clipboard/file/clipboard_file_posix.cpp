#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/clipboard/file/clipboard_file.h"
#include "core/clipboard/file/clipboard_file_system.h"
#include "lib/posix_io/posix_io.h"

namespace versos {
namespace file_clipboard {
namespace {

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

}  // namespace

void folder_of(const char* path, char* folder) {
    std::strcpy(folder, path);
    char* slash = std::strrchr(folder, '/');
    if (slash == nullptr)
        std::strcpy(folder, ".");
    else if (slash == folder)
        slash[1] = '\0';  // a file in /
    else
        *slash = '\0';
}

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

int open_regular(const char* path, bool create, std::string* why, bool* missing) {
    if (missing) *missing = false;
    if (look_at(path, why) == Entry::other) return -1;
    const int flags = create ? O_RDWR | O_CREAT : O_RDONLY;
    const int fd = ::open(path, flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        if (why) *why = error == ELOOP ? not_regular(path, S_IFLNK) : failed(path, error);
        if (missing) *missing = error == ENOENT;
        return -1;
    }
    struct stat st;
    const bool looked = ::fstat(fd, &st) == 0;
    if (looked && S_ISREG(st.st_mode)) return fd;
    if (why) *why = looked ? not_regular(path, st.st_mode) : failed(path, errno);
    ::close(fd);
    return -1;
}

bool lock_now(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

void close_file(int fd) { ::close(fd); }

void remove_name(const char* path) { ::unlink(path); }

bool replace_with(const char* path, const char* text, std::size_t length) {
    char temp[kClipboardPathMax];
    std::snprintf(temp, sizeof temp, "%s%s", path, kTempSuffix);
    const int fd = ::mkstemp(temp);  // mode 0600: the clipboard is the user's alone
    if (fd < 0) return false;
    const bool written = posix_io::write_all(fd, text, length);
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temp, path) == 0) return true;
    ::unlink(temp);
    return false;
}

bool name_fits(const char* name) {
    struct stat st;
    return ::lstat(name, &st) == 0 || errno != ENAMETOOLONG;
}

bool folder_exists(const char* folder, std::string* why) {
    struct stat st;
    if (::stat(folder, &st) == 0 && S_ISDIR(st.st_mode)) return true;
    if (why) *why = failed(folder, ENOENT);
    return false;
}

bool private_folder(const char* folder, std::string* why) {
    if (::mkdir(folder, 0700) == 0) return true;
    struct stat st;
    if (errno != EEXIST || ::lstat(folder, &st) != 0) {
        if (why) *why = failed(folder, errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        if (why) *why = std::string(folder) + ": not a folder of this user";
        return false;
    }
    return true;
}

}  // namespace file_clipboard

std::string named_clipboard_file() {
    const char* named = std::getenv("VERSOS_CLIPBOARD_FILE");
    return named != nullptr ? named : "";
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
