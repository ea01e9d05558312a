// movef_ on POSIX systems (move_file_windows.cpp: on Windows).
#include <versos/util/coding.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "file_io.h"

namespace versos {

int movef_(const char* source, const char* target) {
    // Only a regular file is moved: removing a device, a FIFO or a socket
    // would take it from everyone who uses it, and removing a symbolic link
    // after copying what it names would leave the data where it was.
    struct stat before, after;
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
    if (!copyf_(source, target)) return 0;
    // What is removed must be the file that was copied.
    if (::lstat(source, &after) != 0 || after.st_dev != before.st_dev || after.st_ino != before.st_ino) {
        fileio::note_failure("will not remove %s: it changed while it was copied", source, 0);
        return 0;
    }
    if (::unlink(source) != 0) {
        fileio::note_failure("cannot remove %s", source, errno);
        return 0;
    }
    return 1;
}

}  // namespace versos
