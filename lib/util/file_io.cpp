#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace versos::fileio {
namespace {

thread_local Failure g_failure;
ProgressObserver g_observer = nullptr;

int open_retrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do fd = ::open(path, flags | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
}

void close_quietly(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// A duplicate of fd, set at the start of the file.
int rewound_copy(int fd) {
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy >= 0 && ::lseek(copy, 0, SEEK_SET) < 0) {
        const int err = errno;
        ::close(copy);
        errno = err;
        return -1;
    }
    return copy;
}

}  // namespace

void clear_failure() { g_failure = Failure{}; }
const Failure& failure() { return g_failure; }

void note_failure(const char* what, const char* path, int error) {
    if (g_failure.what != nullptr) return;  // the first failure is the cause; later ones follow from it
    g_failure.what = what;
    g_failure.path = path;
    g_failure.error = error;
}

void note_kept(const char* path) { g_failure.kept = path; }

std::string describe(const Failure& f) {
    if (f.what == nullptr) return {};
    std::string text = f.what;
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, "'" + f.path + "'");
    if (f.error != 0) text += std::string(": ") + std::strerror(f.error);
    return text;
}

void set_progress_observer(ProgressObserver observer) { g_observer = observer; }

InFile::~InFile() { close_quietly(fd_); }

bool InFile::start(int fd, const char* path) {
    close_quietly(fd_);
    fd_ = fd;
    path_ = path;
    done_ = total_ = 0;
    struct stat st;
    if (::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) total_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool InFile::open(const char* path) {
    const int fd = open_retrying(path, O_RDONLY);
    if (fd < 0) {
        note_failure("cannot open %s for reading", path, errno);
        return false;
    }
    return start(fd, path);
}

bool InFile::open_fd(int fd, const char* path) {
    const int copy = rewound_copy(fd);
    if (copy < 0) {
        note_failure("cannot read %s", path, errno);
        return false;
    }
    return start(copy, path);
}

std::ptrdiff_t InFile::read(std::uint8_t* buf, std::size_t cap) {
    ssize_t n;
    do n = ::read(fd_, buf, cap);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        note_failure("cannot read %s", path_.c_str(), errno);
        return -1;
    }
    done_ += static_cast<std::uint64_t>(n);
    report_progress(done_);
    return n;
}

void InFile::report_progress(std::uint64_t done) const {
    if (g_observer != nullptr) g_observer(path_.c_str(), done, total_);
}

bool InFile::fail_read(int error) const {
    note_failure("cannot read %s", path_.c_str(), error);
    return false;
}

OutFile::~OutFile() { close_quietly(fd_); }

bool OutFile::create(const char* path, const InFile& source) {
    close_quietly(fd_);
    path_ = path;
    ok_ = true;
    // Not O_TRUNC: the target is checked against the source before anything
    // in it is lost.
    fd_ = open_retrying(path, O_WRONLY | O_CREAT, 0666);
    if (fd_ < 0) {
        note_failure("cannot open %s for writing", path, errno);
        return false;
    }
    struct stat out, in;
    if (::fstat(fd_, &out) != 0) {
        note_failure("cannot open %s for writing", path, errno);
        close_quietly(fd_);
        return false;
    }
    if (source.fd() >= 0 && ::fstat(source.fd(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino &&
        S_ISREG(out.st_mode)) {
        note_failure("cannot write %s over itself", path, 0);
        close_quietly(fd_);
        return false;
    }
    // Devices and pipes (/dev/null, /dev/stdout) can't be truncated and need not be.
    if (S_ISREG(out.st_mode) && ::ftruncate(fd_, 0) != 0) {
        note_failure("cannot truncate %s", path, errno);
        close_quietly(fd_);
        return false;
    }
    return true;
}

bool OutFile::open_fd(int fd, const char* path) {
    close_quietly(fd_);
    path_ = path;
    ok_ = true;
    fd_ = rewound_copy(fd);
    if (fd_ < 0 || ::ftruncate(fd_, 0) != 0) {
        note_failure("cannot write %s", path, errno);
        close_quietly(fd_);
        return false;
    }
    return true;
}

bool OutFile::write(const std::uint8_t* data, std::size_t n) {
    while (ok_ && n > 0) {
        const ssize_t done = ::write(fd_, data, n);
        if (done < 0) {
            if (errno == EINTR) continue;
            note_failure("cannot write %s", path_.c_str(), errno);
            ok_ = false;
        } else {
            data += done;
            n -= static_cast<std::size_t>(done);
        }
    }
    return ok_;
}

bool OutFile::fail_write(int error) {
    note_failure("cannot write %s", path_.c_str(), error);
    ok_ = false;
    return false;
}

bool OutFile::close() {
    if (fd_ < 0) return false;
    if (::close(fd_) != 0 && errno != EINTR && ok_) {
        note_failure("cannot write %s", path_.c_str(), errno);
        ok_ = false;
    }
    fd_ = -1;
    return ok_;
}

TempFile::~TempFile() { close_quietly(fd_); }

bool TempFile::make_beside(const char* target) {
    close_quietly(fd_);
    // Named after the target, so that one left behind is easy to recognise.
    path_ = std::string(target) + ".XXXXXX";
    fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
    if (fd_ < 0 && errno == ENAMETOOLONG) {
        const char* slash = std::strrchr(target, '/');
        const std::string folder = slash == nullptr ? std::string(".") : std::string(target, slash + 1);
        path_ = folder + (slash == nullptr ? "/" : "") + "versos.XXXXXX";
        fd_ = ::mkostemp(path_.data(), O_CLOEXEC);
    }
    if (fd_ < 0) {
        note_failure("cannot create a temporary file beside %s", target, errno);
        path_.clear();
        return false;
    }
    return true;
}

bool TempFile::remove() {
    if (path_.empty()) return false;
    if (::unlink(path_.c_str()) != 0) {
        note_failure("cannot remove %s", path_.c_str(), errno);
        return false;
    }
    path_.clear();
    close_quietly(fd_);
    return true;
}

bool TempFile::rename_to(const char* target) {
    if (path_.empty()) return false;
    mode_t mode;
    struct stat st;
    if (::stat(target, &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (fd_ >= 0) ::fchmod(fd_, mode);  // mkstemp's 0600 otherwise
    if (::rename(path_.c_str(), target) != 0) {
        note_failure("cannot rename the decoded data to %s", target, errno);
        return false;
    }
    path_.clear();
    close_quietly(fd_);
    return true;
}

}  // namespace versos::fileio
