#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "file_calls.h"
#include "lib/posix_io/posix_io.h"

namespace versos::fileio {
namespace {

int open_retrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do fd = ::open(path, flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// The umask as the kernel shows it, read without changing it: setting it to
// read it would give files that another thread makes meanwhile the wrong
// mode. The value at start stands in where /proc can't be read.
mode_t umask_from_proc() {
    const int fd = open_retrying("/proc/self/status", O_RDONLY);
    if (fd < 0) return static_cast<mode_t>(-1);
    char text[4096];
    const std::ptrdiff_t used = posix_io::read_full(fd, text, sizeof text - 1);
    ::close(fd);
    if (used < 0) return static_cast<mode_t>(-1);
    text[used] = '\0';
    const char* line = std::strstr(text, "\nUmask:");
    if (line == nullptr) return static_cast<mode_t>(-1);
    char* end = nullptr;
    const unsigned long mask = std::strtoul(line + 7, &end, 8);
    return end == line + 7 || mask > 0777 ? static_cast<mode_t>(-1) : static_cast<mode_t>(mask);
}

const mode_t g_umask_at_start = [] {
    const mode_t mask = umask_from_proc();
    if (mask != static_cast<mode_t>(-1)) return mask;
    const mode_t set = ::umask(022);  // before main: no other thread yet
    ::umask(set);
    return set;
}();

mode_t current_umask() {
    const mode_t mask = umask_from_proc();
    return mask != static_cast<mode_t>(-1) ? mask : g_umask_at_start;
}

// Whether a file made now can be given the owner and group of st: root
// may give it any; others only their own files, in a group they are in.
bool owner_can_be_kept(const struct stat& st) {
    const uid_t user = ::geteuid();
    if (user == 0) return true;
    if (st.st_uid != user) return false;
    if (st.st_gid == ::getegid()) return true;
    gid_t groups[NGROUPS_MAX];
    const int n = ::getgroups(NGROUPS_MAX, groups);
    for (int i = 0; i < n; ++i)
        if (groups[i] == st.st_gid) return true;
    return false;
}

// N for a name of this process's descriptor N, else -1. Such a name is a
// link that the kernel resolves to the descriptor's open file itself (a
// pipe, a socket, a file at its current position), which no path names.
int named_descriptor(const std::string& path) {
    if (path == "/dev/stdin") return STDIN_FILENO;
    if (path == "/dev/stdout") return STDOUT_FILENO;
    if (path == "/dev/stderr") return STDERR_FILENO;
    const std::string own = "/proc/" + std::to_string(::getpid()) + "/fd/";
    for (const std::string& folder :
         {std::string("/dev/fd/"), std::string("/proc/self/fd/"), std::string("/proc/thread-self/fd/"), own}) {
        if (path.compare(0, folder.size(), folder) != 0) continue;
        const std::string digits = path.substr(folder.size());
        if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        return std::stoi(digits);
    }
    return -1;
}

}  // namespace

namespace sys {

bool close_file(int fd) { return ::close(fd) == 0; }

int duplicate(int fd) { return ::fcntl(fd, F_DUPFD_CLOEXEC, 0); }

bool seek_to(int fd, std::uint64_t at) { return ::lseek(fd, static_cast<off_t>(at), SEEK_SET) >= 0; }

bool cut_to(int fd, std::uint64_t size) { return ::ftruncate(fd, static_cast<off_t>(size)) == 0; }

std::int64_t position(int fd) { return ::lseek(fd, 0, SEEK_CUR); }

std::uint64_t regular_size(int fd) {
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<std::uint64_t>(st.st_size) : 0;
}

int take_room(int fd, std::uint64_t size) {
    // Not posix_fallocate, which writes the room full where the file system
    // can't reserve it. There (EOPNOTSUPP), the writes find out for themselves.
    int error;
    do error = ::fallocate(fd, 0, 0, static_cast<off_t>(size)) == 0 ? 0 : errno;
    while (error == EINTR);
    return error == ENOSPC || error == EDQUOT || error == EFBIG ? error : 0;
}

int rename_over(const char* from, const char* to) { return ::rename(from, to) == 0 ? 0 : errno; }

}  // namespace sys

std::string resolved_target(const char* path) {
    std::string at = path;
    // As many links as the kernel follows; a longer chain is left for the
    // open to refuse (ELOOP).
    for (int hops = 0; hops < 40; ++hops) {
        if (named_descriptor(at) >= 0) return at;
        struct stat st;
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        char link[PATH_MAX];
        const ssize_t n = ::readlink(at.c_str(), link, sizeof link);
        if (n <= 0 || static_cast<std::size_t>(n) >= sizeof link) return at;
        const std::string next(link, static_cast<std::size_t>(n));
        const std::size_t slash = at.rfind('/');
        at = next[0] == '/' || slash == std::string::npos ? next : at.substr(0, slash + 1) + next;
    }
    return path;
}

Target target_kind(const char* path) {
    const std::string real = resolved_target(path);
    if (named_descriptor(real) >= 0) return Target::descriptor;
    struct stat st;
    if (::lstat(real.c_str(), &st) != 0) return errno == ENOENT ? Target::fresh : Target::through;
    if (S_ISDIR(st.st_mode)) return Target::folder;
    // One that can't be written is not replaced either (opening it says
    // why), nor one whose owner a new file could not take on. A file of
    // several names keeps its inode, so its owner does not matter.
    if (!S_ISREG(st.st_mode) || ::faccessat(AT_FDCWD, real.c_str(), W_OK, AT_EACCESS) != 0) return Target::through;
    if (st.st_nlink > 1) return Target::several;
    return owner_can_be_kept(st) ? Target::replaceable : Target::through;
}

bool take_place_attributes(int fd, const char* target) {
    struct stat old, own;
    const bool replacing = ::stat(target, &old) == 0;
    const mode_t mode = replacing ? old.st_mode & 07777 : 0666 & ~current_umask();
    if (replacing) {
        // Only root may give a file away; a group the caller is in will do.
        if (::fstat(fd, &own) == 0 && (own.st_uid != old.st_uid || own.st_gid != old.st_gid) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0 && own.st_gid != old.st_gid) {
            if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
                // Not in that group either: the new file keeps the caller's.
            }
        }
    }
    // After fchown, which clears the set-user-ID bits.
    if (::fstat(fd, &own) == 0 && (own.st_mode & 07777) == mode) return true;
    return ::fchmod(fd, mode) == 0;
}

bool same_file(const char* a, const char* b) {
    struct stat sa, sb;
    return ::stat(a, &sa) == 0 && ::stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool survives_failed_write(const char* source, const char* target) {
    struct stat in, out;
    if (::stat(source, &in) != 0 || !S_ISREG(in.st_mode)) return false;
    return target_kind(target) != Target::through || ::stat(target, &out) != 0 || in.st_dev != out.st_dev ||
           in.st_ino != out.st_ino;
}

bool read_once_only(const char* path) {
    struct stat st;
    return ::stat(path, &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

std::string error_text(int error) {
    if (error == 0) return {};
    char buf[256];
    return ::strerror_r(error, buf, sizeof buf);  // the GNU form: thread-safe, never fails
}

bool InFile::open(const char* path) {
    int fd = open_retrying(path, O_RDONLY);
    if (fd < 0) {
        note_failure("cannot open %s for reading", path, errno);
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        note_failure("cannot read %s", path, EISDIR);
        sys::close_quietly(fd);
        return false;
    }
    return start(fd, path);
}

namespace {

// Takes the room for the stretches of data of `from` (its holes need none)
// in `to`, where they will be copied: 0, or the errno. Where the file system
// can't reserve room, the copy goes on without (0).
int reserve_data_room(int from, int to, std::uint64_t length) {
    std::uint64_t at = 0, start = 0, end = 0;
    while (at < length && posix_io::next_data(from, at, start, end)) {
        end = std::min(end, length);
        if (start >= end) break;
        const int error = posix_io::reserve_room(to, start, end - start);
        if (error == EOPNOTSUPP) return 0;
        if (error != 0) return error;
        at = end;
    }
    return 0;
}

// Makes [from, to) of the file read as zeros: a hole where the file system
// makes one, else written zeros. False, with errno, on a failure.
bool zero_range(int fd, std::uint64_t from, std::uint64_t to, std::uint8_t* buf) {
    if (from >= to) return true;
    const int error = posix_io::punch_hole(fd, from, to - from);
    if (error == 0) return true;
    if (error != EOPNOTSUPP) return errno = error, false;
    std::memset(buf, 0, blocks::kBlockSize);
    for (std::uint64_t at = from; at < to;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(blocks::kBlockSize, to - at));
        if (!posix_io::pwrite_all(fd, buf, n, at)) return false;
        at += n;
    }
    return true;
}

}  // namespace

OutFile::Placed OutFile::copy_into_place() {
    // The file keeps its inode, and with it its other names, owner and
    // permissions; only a failure here can touch it.
    const int from = staged_.fd();
    const int to = open_retrying(real_.c_str(), O_WRONLY);
    if (to < 0) {
        note_failure("cannot open %s for writing", path_.c_str(), errno);
        return Placed::failed;
    }
    struct stat old, now;
    if (::fstat(to, &old) != 0 || ::fstat(from, &now) != 0) {
        note_failure("cannot write %s", path_.c_str(), errno);
        ::close(to);
        return Placed::failed;
    }
    const auto old_length = static_cast<std::uint64_t>(old.st_size), length = static_cast<std::uint64_t>(now.st_size);
    // The room first: a disk that can't take the new content fails here,
    // before a byte of the file changes.
    if (const int error = reserve_data_room(from, to, length); error != 0) {
        // What was taken before the failure lies past the file's end: give
        // it back (the bytes stay as they are).
        struct stat after;
        if (::fstat(to, &after) == 0 && after.st_blocks > old.st_blocks && ::ftruncate(to, old.st_size) != 0) {
            // Kept as it is: the room stays taken, the bytes unchanged.
        }
        ::close(to);
        note_failure("cannot write %s", path_.c_str(), error);
        return Placed::no_room;
    }
    blocks::Buffer buf = blocks::make_buffer(blocks::kBlockSize);
    bool copied = buf != nullptr;
    int error = copied ? 0 : ENOMEM;
    // The stretches of data, at their offsets; the holes between them are
    // holes in the file too (zeros where the old content was).
    std::uint64_t at = 0, start = 0, end = 0;
    while (copied && at < length && posix_io::next_data(from, at, start, end)) {
        start = std::min(start, length), end = std::min(end, length);
        if (!zero_range(to, at, std::min(start, old_length), buf.get())) {
            copied = false, error = errno;
            break;
        }
        for (at = start; copied && at < end;) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(blocks::kBlockSize, end - at));
            const std::ptrdiff_t n = posix_io::pread_full(from, buf.get(), want, at);
            if (n < 0) {
                note_failure("cannot read %s", staged_.path(), errno);
                ::close(to);
                return Placed::failed;
            }
            if (n == 0) break;
            copied = posix_io::pwrite_all(to, buf.get(), static_cast<std::size_t>(n), at);
            if (!copied) error = errno;
            at += static_cast<std::uint64_t>(n);
        }
        at = std::max(at, end);
    }
    if (copied && !zero_range(to, at, std::min(length, old_length), buf.get())) copied = false, error = errno;
    // Cut to the new length: what was longer ends with the new content.
    if (copied && ::ftruncate(to, static_cast<off_t>(length)) != 0) copied = false, error = errno;
    if (::close(to) != 0 && copied && errno != EINTR) copied = false, error = errno;
    if (!copied) note_failure("cannot write %s", path_.c_str(), error);
    return copied ? Placed::whole : Placed::failed;
}

bool OutFile::open_through() {
    // Not O_TRUNC: nothing in it is lost before the source has given a byte.
    struct stat out;
    fd_ = open_retrying(real_.c_str(), O_WRONLY | O_CREAT, 0666);
    if (fd_ < 0 || ::fstat(fd_, &out) != 0) {
        note_failure("cannot open %s for writing", path_.c_str(), errno);
        sys::close_quietly(fd_);
        return false;
    }
    truncate_pending_ = S_ISREG(out.st_mode);
    return true;
}

bool OutFile::open_descriptor() {
    // Its own open file, shared: written at its position, as the shell's
    // redirection (> or >>) set it, and never truncated.
    fd_ = ::fcntl(named_descriptor(real_), F_DUPFD_CLOEXEC, 0);
    if (fd_ < 0) {
        note_failure("cannot open %s for writing", path_.c_str(), errno);
        return false;
    }
    return true;
}

OutFile::Reached OutFile::reach_target(Target kind, const InFile& source) {
    struct stat in, out;
    const bool source_known = source.fd() >= 0 && ::fstat(source.fd(), &in) == 0 && S_ISREG(in.st_mode);
    if (kind == Target::through || kind == Target::descriptor) {
        if (!(kind == Target::through ? open_through() : open_descriptor())) return Reached::failed;
        if (::fstat(fd_, &out) != 0) {
            fail_write(errno);
            return Reached::failed;
        }
    } else if (kind != Target::fresh && ::stat(real_.c_str(), &out) != 0) {
        note_failure("cannot open %s for writing", path_.c_str(), errno);
        return Reached::failed;
    }
    const bool same = kind != Target::fresh && source_known && in.st_dev == out.st_dev && in.st_ino == out.st_ino;
    return same ? Reached::source : Reached::ready;
}

bool TempFile::make(std::string pattern, const char* what, const char* target) {
    sys::close_quietly(fd_);
    path_ = std::move(pattern);
    fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        if (what != nullptr) note_failure(what, target, error_);
        path_.clear();
        return false;
    }
    return true;
}

bool TempFile::make_beside(const char* target, const char* named, const char* what) {
    // Named after the target, so that one left behind is easy to recognise.
    if (named == nullptr) named = target;
    sys::close_quietly(fd_);
    path_ = std::string(target) + ".XXXXXX";
    fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
    if (fd_ >= 0) return true;
    error_ = errno;
    if (error_ != ENAMETOOLONG) {
        if (what != nullptr) note_failure(what, named, error_);
        path_.clear();
        return false;
    }
    const char* slash = std::strrchr(target, '/');
    const std::string folder = slash == nullptr ? std::string() : std::string(target, slash + 1);
    return make(folder + "versos.XXXXXX", what, named);
}

bool TempFile::make_for(const char* target, Target kind) {
    if (renamed_into_place(kind)) return make_beside(target);
    const char* folder = std::getenv("TMPDIR");
    if (folder == nullptr || *folder == '\0') folder = "/tmp";
    return make(std::string(folder) + "/versos.XXXXXX", "cannot create a temporary file in %s", folder);
}

bool TempFile::remove() {
    if (path_.empty()) return false;
    if (::unlink(path_.c_str()) != 0) {
        note_failure("cannot remove %s", path_.c_str(), errno);
        return false;
    }
    path_.clear();
    sys::close_quietly(fd_);
    return true;
}

}  // namespace versos::fileio
