// What the file routines' files do the same on every system, on the calls
// of file_calls.h; opening, copying into place and temporary names are each
// system's own (file_io.cpp, file_io_windows.cpp).
#include <cerrno>
#include <cstdint>

#include "file_calls.h"
#include "file_io.h"
#include "lib/posix_io/posix_io.h"

namespace versos::fileio {

namespace sys {

void close_quietly(int& fd) {
    if (fd >= 0) close_file(fd);
    fd = -1;
}

int rewound_copy(int fd) {
    const int copy = duplicate(fd);
    if (copy >= 0 && !seek_to(copy, 0)) {
        const int err = errno;
        close_file(copy);
        errno = err;
        return -1;
    }
    return copy;
}

}  // namespace sys

InFile::~InFile() { sys::close_quietly(fd_); }

bool InFile::start(int fd, const char* path) {
    sys::close_quietly(fd_);
    fd_ = fd;
    path_ = path;
    done_ = 0;
    total_ = sys::regular_size(fd_);
    return true;
}

bool InFile::open_fd(int fd, const char* path) {
    const int copy = sys::rewound_copy(fd);
    if (copy < 0) {
        note_failure("cannot read %s", path, errno);
        return false;
    }
    return start(copy, path);
}

std::ptrdiff_t InFile::read(std::uint8_t* buf, std::size_t cap) {
    const std::ptrdiff_t n = posix_io::read_some(fd_, buf, cap);
    if (n < 0) {
        note_failure("cannot read %s", path_.c_str(), errno);
        return -1;
    }
    done_ += static_cast<std::uint64_t>(n);
    report_progress(done_);
    return n;
}

bool InFile::fail_read(int error) const {
    note_failure("cannot read %s", path_.c_str(), error);
    return false;
}

OutFile::~OutFile() { finish(false); }

void OutFile::reset(const char* path) {
    finish(false);
    path_ = path;
    real_ = path;
    ok_ = true;
    truncate_pending_ = false;
    reserved_ = false;
    copy_back_ = false;
    write_what_ = "cannot write %s";
}

bool OutFile::create(const char* path, const InFile& source) {
    reset(path);
    real_ = resolved_target(path);
    const Target kind = target_kind(real_.c_str());
    if (kind == Target::folder) {
        note_failure("cannot open %s for writing", path, EISDIR);
        return false;
    }
    const Reached reached = reach_target(kind, source);
    if (reached == Reached::failed) return false;
    if (reached == Reached::source) {
        note_failure("cannot write %s over itself", path, 0);
        sys::close_quietly(fd_);
        return false;
    }
    if (kind == Target::through || kind == Target::descriptor) return true;
    if (kind == Target::fresh) {
        if (!staged_.make_beside(real_.c_str(), path, "cannot open %s for writing")) return false;
    } else if (!staged_.make_beside(real_.c_str(), path, nullptr)) {
        // Its folder takes no file beside it: written through, the only way
        // left to write it.
        const int error = staged_.error();
        if (error == EACCES || error == EPERM || error == EROFS) return open_through();
        note_failure("cannot create a temporary file beside %s", path, error);
        return false;
    }
    copy_back_ = kind == Target::several;
    fd_ = staged_.fd();
    return true;
}

bool OutFile::open_fd(int fd, const char* path, const char* what) {
    reset(path);
    write_what_ = what;
    fd_ = sys::rewound_copy(fd);
    if (fd_ < 0 || !sys::cut_to(fd_, 0)) {
        note_failure(what, path, errno);
        sys::close_quietly(fd_);
        return false;
    }
    return true;
}

bool OutFile::start() {
    if (ok_ && truncate_pending_) {
        truncate_pending_ = false;
        if (!sys::cut_to(fd_, 0)) {
            note_failure("cannot truncate %s", path_.c_str(), errno);
            ok_ = false;
        }
    }
    return ok_;
}

bool OutFile::reserve(std::uint64_t size) {
    if (!staged_.made() || size == 0 || size > static_cast<std::uint64_t>(INT64_MAX)) return ok_;
    // Even a call that fails may have taken part of the room, and with it
    // the file's length: finish() cuts the file back to what was written.
    reserved_ = true;
    if (const int error = sys::take_room(fd_, size); error != 0) return fail_write(error);
    return ok_;
}

bool OutFile::write(const std::uint8_t* data, std::size_t n) {
    if (!start()) return false;
    if (!posix_io::write_all(fd_, data, n)) {
        note_failure(write_what_, path_.c_str(), errno);
        ok_ = false;
    }
    return ok_;
}

void OutFile::cut_to_written() {
    // The room reserved past what a source that shrank gave back is dropped.
    const std::int64_t written = sys::position(fd_);
    if (written < 0 || !sys::cut_to(fd_, static_cast<std::uint64_t>(written))) fail_write(errno);
}

bool OutFile::fail_write(int error) {
    note_failure(write_what_, path_.c_str(), error);
    ok_ = false;
    return false;
}

bool OutFile::finish(bool done) {
    if (fd_ < 0) return false;
    if (done) start();  // an empty result still empties the target
    if (staged_.made()) {
        if (done && ok_ && reserved_) cut_to_written();
        fd_ = -1;  // staged_'s own
        if (done && ok_ && copy_back_) {
            switch (copy_into_place()) {
                case Placed::whole:
                    staged_.remove();
                    return true;
                case Placed::no_room:
                    staged_.remove();  // the file is as it was, and the disk full
                    return false;
                case Placed::failed:
                    staged_.keep();  // the one whole copy of the new content
                    return false;
            }
        }
        if (done && ok_ && staged_.rename_to(real_.c_str(), path_.c_str())) return true;
        staged_.remove();
        return false;
    }
    // A close that a signal interrupted has closed the file all the same.
    if (!sys::close_file(fd_) && errno != EINTR && ok_) {
        note_failure(write_what_, path_.c_str(), errno);
        ok_ = false;
    }
    fd_ = -1;
    return done && ok_;
}

TempFile::~TempFile() { sys::close_quietly(fd_); }

bool TempFile::rename_to(const char* target, const char* named) {
    if (named == nullptr) named = target;
    if (path_.empty() || fd_ < 0) return false;
    if (!take_place_attributes(fd_, target)) {
        const int error = errno;
        sys::close_quietly(fd_);
        note_failure("cannot write %s", path_.c_str(), error);
        return false;
    }
    const bool closed = sys::close_file(fd_);
    fd_ = -1;
    if (!closed) {
        note_failure("cannot write %s", path_.c_str(), errno);
        return false;
    }
    if (const int error = sys::rename_over(path_.c_str(), target); error != 0) {
        note_failure("cannot rename the new content onto %s", named, error);
        return false;
    }
    path_.clear();
    return true;
}

}  // namespace versos::fileio
