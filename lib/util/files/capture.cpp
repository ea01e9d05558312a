// Output capture: standard output's descriptor on a private temporary file,
// read back with pread, so that everything printed is delivered whatever
// stdio's buffer holds or how much was printed.
#include <versos/util/capture.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "capture_system.h"
#include "lib/posix_io/posix_io.h"

namespace versos {

std::FILE* __FICHERO_TEMPORAL_ = nullptr;
char* __ACUMULADOR_ = nullptr;
unsigned char __PRINTS_BANDERA_ = 0;

namespace {

using namespace capture_system;

constexpr std::size_t kAccumulator = 512;

struct Capture {
    bool active = false;
    int file = -1;          // the capture file, removed already
    int saved_output = -1;  // standard output before; -1 when it was closed
    int buffering = _IOFBF;
    std::int64_t delivered = 0;  // bytes of the file given to prints_
    std::int64_t kept = -1;      // where the file stopped taking text; -1 while it takes it all
};
Capture capture;

// Standard output's buffer while it is put back: one of ours, so that
// setvbuf starts the stream afresh in the mode it had.
char restored_buffer[BUFSIZ];

void restore_buffering(int mode) {
    if (mode == _IONBF)
        std::setvbuf(stdout, nullptr, _IONBF, 0);
    else
        std::setvbuf(stdout, restored_buffer, mode, sizeof restored_buffer);
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
        const std::int64_t left = capture.kept > capture.delivered ? capture.kept - capture.delivered : 0;
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
    const int saved = duplicate_above_standard(kStandardOutput);
    if (saved < 0 && errno != EBADF) {
        close_descriptor(file);
        return 1;
    }
    const int buffering = buffering_of_stdout();
    if (!put_on(file, kStandardOutput)) {
        close_descriptor(file);
        if (saved >= 0) close_descriptor(saved);
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
        if (!put_on(capture.saved_output, kStandardOutput)) status = 1;
        close_descriptor(capture.saved_output);
    } else {
        close_descriptor(kStandardOutput);  // it was closed before
    }
    close_descriptor(capture.file);
    restore_buffering(capture.buffering);
    capture = Capture{};
    __FICHERO_TEMPORAL_ = stdout;
    return status;
}

}  // namespace versos
