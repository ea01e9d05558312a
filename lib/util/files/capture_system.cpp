#include "capture_system.h"

#include <fcntl.h>
#include <stdio_ext.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace versos::capture_system {
namespace {

// A descriptor above the standard three, so that closing ours never closes
// one of them.
int above_standard(int fd) {
    if (fd < 0 || fd > STDERR_FILENO) return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    close(fd);
    return moved;
}

}  // namespace

int make_capture_file() {
    const char* folder = std::getenv("TMPDIR");
    std::string path = folder && *folder ? folder : "/tmp";
    path += "/versos-prints-XXXXXX";
    const int fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    unlink(path.c_str());
    return above_standard(fd);
}

int duplicate_above_standard(int fd) { return fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1); }

bool put_on(int fd, int target) { return dup2(fd, target) >= 0; }

void close_descriptor(int fd) { close(fd); }

std::int64_t file_size(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 ? st.st_size : 0;
}

int buffering_of_stdout() {
    if (__fbufsize(stdout) == 1) return _IONBF;
    if (__flbf(stdout)) return _IOLBF;
    if (__fbufsize(stdout) == 0 && isatty(STDOUT_FILENO)) return _IOLBF;
    return _IOFBF;
}

}  // namespace versos::capture_system
