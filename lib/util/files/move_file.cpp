// movef_: a rename wherever the new content would be renamed into place
// anyway (one file system; a new target, a regular file of one name, or the
// file a link names), so that there is no copy and nothing written to the
// source meanwhile is lost. Elsewhere a copy, after which the source is
// removed only if it did not change while it was copied. On POSIX systems
// (move_file_windows.cpp: on Windows).
#include <versos/util/coding.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <string>

#include "file_io.h"
#include "int_result.h"
#include "kernel_copy.h"

namespace versos {
namespace {

bool same_inode(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool same_time(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

// Whether nothing was written to the file, nor its length changed, between
// the two looks at it.
bool unchanged(const struct stat& before, const struct stat& now) {
    return same_inode(before, now) && before.st_size == now.st_size && same_time(before.st_mtim, now.st_mtim) &&
           same_time(before.st_ctim, now.st_ctim);
}

// Whether `path` (which may not exist yet) lies on the file system of `st`.
bool on_file_system_of(const std::string& path, const struct stat& st) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat there;
    return ::stat(folder.c_str(), &there) == 0 && there.st_dev == st.st_dev;
}

enum class Renamed { done, refused, copy_instead };

// Renames the source, open as fd, onto `real` (where `target` leads), with
// the permissions, owner and group that a file put there by a copy would
// have. Where the rename can't be made, the source gets back its own.
Renamed rename_into_place(int fd, const struct stat& opened, const char* source, const std::string& real,
                          const char* target) {
    struct stat there;
    if (::stat(real.c_str(), &there) == 0 && same_inode(there, opened)) {
        fileio::note_failure("cannot write %s over itself", target, 0);
        return Renamed::refused;
    }
    // A source of several names is copied: its other names would see the
    // new permissions, and would become names of the target.
    if (opened.st_nlink != 1 || !on_file_system_of(real, opened)) return Renamed::copy_instead;
    struct stat named;
    if (fileio::take_place_attributes(fd, real.c_str()) && ::lstat(source, &named) == 0 && same_inode(named, opened) &&
        ::rename(source, real.c_str()) == 0)
        return Renamed::done;
    struct stat now;
    if (::fstat(fd, &now) == 0 && (now.st_uid != opened.st_uid || now.st_gid != opened.st_gid) &&
        ::fchown(fd, opened.st_uid, opened.st_gid) != 0) {
        // Best effort: the source is copied instead, whoever owns it now.
    }
    (void)::fchmod(fd, opened.st_mode & 07777);
    return Renamed::copy_instead;
}

}  // namespace

int movef_(const char* source, const char* target) {
    return fileio::int_result(0, source, [&] {
        // Only a regular file is moved: removing a device, a FIFO or a socket
        // would take it from everyone who uses it, and removing a symbolic link
        // after copying what it names would leave the data where it was.
        struct stat before, opened;
        if (::lstat(source, &before) != 0) {
            fileio::note_failure("cannot open %s for reading", source, errno);
            return 0;
        }
        if (!S_ISREG(before.st_mode)) {
            fileio::note_failure(S_ISLNK(before.st_mode) ? "will not move %s: it is a symbolic link"
                                                         : "will not move %s: it is not a regular file",
                                 source, 0);
            return 0;
        }
        fileio::InFile in;
        if (!in.open(source)) return 0;
        if (::fstat(in.fd(), &opened) != 0 || !same_inode(opened, before)) {
            fileio::note_failure("will not move %s: it changed while it was moved", source, 0);
            return 0;
        }
        const std::string real = fileio::resolved_target(target);
        if (fileio::renamed_into_place(fileio::target_kind(real.c_str()))) {
            switch (rename_into_place(in.fd(), opened, source, real, target)) {
                case Renamed::done:
                    return 1;
                case Renamed::refused:
                    return 0;
                case Renamed::copy_instead:
                    // The look the copy is checked against: trying the rename
                    // may have changed its change time.
                    if (::fstat(in.fd(), &opened) != 0) return in.fail_read(errno) ? 1 : 0;
                    break;
            }
        }
        fileio::OutFile out;
        if (!out.create(target, in)) return 0;
        if (!out.finish(fileio::copy_contents(in, out))) return 0;
        // What is removed must be the file that was copied, as it was copied:
        // whatever was written to it meanwhile is still there.
        struct stat now, named;
        if (::fstat(in.fd(), &now) != 0 || !unchanged(opened, now) || ::lstat(source, &named) != 0 ||
            !same_inode(named, opened)) {
            fileio::note_failure("will not remove %s: it changed while it was moved", source, 0);
            return 0;
        }
        if (::unlink(source) != 0) {
            fileio::note_failure("cannot remove %s", source, errno);
            return 0;
        }
        return 1;
    });
}

}  // namespace versos
