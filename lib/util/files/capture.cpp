// Output capture: standard output's descriptor on a private temporary file,
// read back with pread, so that everything printed is delivered whatever
// stdio's buffer holds or how much was printed.
#include <versos/util/capture.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio_ext.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "lib/posix_io/posix_io.h"

namespace versos {

std::FILE* __FICHERO_TEMPORAL_ = nullptr;
char* __ACUMULADOR_ = nullptr;
unsigned char __PRINTS_BANDERA_ = 0;

namespace {

constexpr std::size_t kAccumulator = 512;

struct Capture {
    bool active = false;
    int file = -1;          // the capture file, removed already
    int saved_output = -1;  // standard output before; -1 when it was closed
    int buffering = _IOFBF;
    off_t delivered = 0;  // bytes of the file given to prints_
    off_t kept = -1;      // where the file stopped taking text; -1 while it takes it all
};
Capture capture;

// Standard output's buffer while it is put back: one of ours, so that
// setvbuf starts the stream afresh in the mode it had.
char restored_buffer[BUFSIZ];

// How stdout buffers; before its first output, how stdio will choose.
int buffering_of_stdout() {
    if (__fbufsize(stdout) == 1) return _IONBF;
    if (__flbf(stdout)) return _IOLBF;
    if (__fbufsize(stdout) == 0 && isatty(STDOUT_FILENO)) return _IOLBF;
    return _IOFBF;
}

void restore_buffering(int mode) {
    if (mode == _IONBF)
        std::setvbuf(stdout, nullptr, _IONBF, 0);
    else
        std::setvbuf(stdout, restored_buffer, mode, sizeof restored_buffer);
}

// A descriptor above the standard three, so that closing ours never closes
// one of them.
int above_standard(int fd) {
    if (fd < 0 || fd > STDERR_FILENO) return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    close(fd);
    return moved;
}

int make_capture_file() {
    const char* folder = std::getenv("TMPDIR");
    std::string path = folder && *folder ? folder : "/tmp";
    path += "/versos-prints-XXXXXX";
    const int fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) return -1;
    unlink(path.c_str());
    return above_standard(fd);
}

off_t file_size(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 ? st.st_size : 0;
}

// Flushes standard output into the capture file; false once the file has
// failed to take some of it (a full disk, a file-size limit). The text then
// ends where the file stopped: stdio drops what it could not write, so what
// follows in the file, if anything, is not what came next.
bool flush_kept() {
    if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && capture.kept < 0) capture.kept = file_size(capture.file);
    return capture.kept < 0;
}

// Up to `most` bytes of the captured text not yet delivered, into `target`;
// returns how many.
std::size_t take_captured(char* target, std::size_t most) {
    if (capture.kept >= 0) {
        const off_t left = capture.kept > capture.delivered ? capture.kept - capture.delivered : 0;
        if (static_cast<std::uint64_t>(left) < most) most = static_cast<std::size_t>(left);
    }
    std::size_t taken = 0;
    while (taken < most) {
        const std::size_t want = most - taken < kAccumulator ? most - taken : kAccumulator;
        const std::ptrdiff_t n =
            posix_io::pread_full(capture.file, __ACUMULADOR_, want, static_cast<std::uint64_t>(capture.delivered));
        if (n <= 0) break;
        std::memcpy(target + taken, __ACUMULADOR_, static_cast<std::size_t>(n));
        taken += static_cast<std::size_t>(n);
        capture.delivered += n;
        if (static_cast<std::size_t>(n) < want) break;  // all there is
    }
    return taken;
}

bool text_waits() {
    if (capture.kept >= 0 && capture.delivered >= capture.kept) return false;
    char byte;
    return posix_io::pread_full(capture.file, &byte, 1, static_cast<std::uint64_t>(capture.delivered)) > 0;
}

// Where the delivery goes in the target: its start the first time, its end
// after.
std::size_t delivery_start(const char* target, std::size_t size) {
    if (__PRINTS_BANDERA_ == 0) return 0;
    return strnlen(target, size - 1);
}

}  // namespace

int openprints_() {
    if (!__ACUMULADOR_) __ACUMULADOR_ = static_cast<char*>(std::calloc(kAccumulator, 1));
    if (!__ACUMULADOR_) return 1;
    std::fflush(stdout);  // what was printed before goes where it was going
    // From here on the stream's error indicator tells of the capture's losses.
    std::clearerr(stdout);
    if (capture.active) {
        capture.delivered = file_size(capture.file);
        capture.kept = -1;
        __PRINTS_BANDERA_ = 0;
        return 0;
    }
    const int file = make_capture_file();
    if (file < 0) return 1;
    const int saved = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    if (saved < 0 && errno != EBADF) {
        close(file);
        return 1;
    }
    const int buffering = buffering_of_stdout();
    if (dup2(file, STDOUT_FILENO) < 0) {
        close(file);
        if (saved >= 0) close(saved);
        return 1;
    }
    capture = Capture{true, file, saved, buffering, 0, -1};
    __FICHERO_TEMPORAL_ = stdout;
    __PRINTS_BANDERA_ = 0;
    return 0;
}

int prints_(char* target) {
    if (!capture.active) return 0;
    const bool whole = flush_kept();
    std::size_t at = __PRINTS_BANDERA_ == 0 ? 0 : std::strlen(target);
    // The target holds it all: the caller has promised.
    at += take_captured(target + at, static_cast<std::size_t>(-1) / 2);
    target[at] = '\0';
    __PRINTS_BANDERA_ = 1;
    return whole ? 1 : 0;
}

int printsn_(char* target, std::size_t size) {
    if (!capture.active || size == 0) return 0;
    const bool whole = flush_kept();
    std::size_t at = delivery_start(target, size);
    at += take_captured(target + at, size - 1 - at);
    target[at] = '\0';
    __PRINTS_BANDERA_ = 1;
    if (!whole) return 0;
    return text_waits() ? 2 : 1;
}

int closeprints_() {
    if (!capture.active) return 1;
    std::fflush(stdout);  // into the capture, and dropped with it
    std::clearerr(stdout);  // the capture's losses are not the restored output's
    int status = 0;
    if (capture.saved_output >= 0) {
        if (dup2(capture.saved_output, STDOUT_FILENO) < 0) status = 1;
        close(capture.saved_output);
    } else {
        close(STDOUT_FILENO);  // it was closed before
    }
    close(capture.file);
    restore_buffering(capture.buffering);
    capture = Capture{};
    __FICHERO_TEMPORAL_ = stdout;
    return status;
}

}  // namespace versos
