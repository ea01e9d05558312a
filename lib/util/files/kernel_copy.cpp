#include "kernel_copy.h"

#include <unistd.h>
#include <cerrno>
#include <cstdint>

namespace versos::fileio {
namespace {

// Large enough that the calls cost nothing, small enough that the progress
// display moves.
constexpr std::size_t kStep = 16u << 20;

enum class Kernel { copied, refused, failed };

bool write_error(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

Kernel kernel_copy(InFile& in, OutFile& out) {
    std::uint64_t done = 0;
    for (;;) {
        const ssize_t n = ::copy_file_range(in.fd(), nullptr, out.fd(), nullptr, kStep, 0);
        if (n < 0 && errno == EINTR) continue;
        if (done == 0 && n <= 0 && (n == 0 || !write_error(errno))) return Kernel::refused;  // positions unmoved
        if (n < 0) {
            const int error = errno;
            if (write_error(error))
                out.fail_write(error);
            else
                in.fail_read(error);
            return Kernel::failed;
        }
        if (n == 0) return Kernel::copied;
        done += static_cast<std::uint64_t>(n);
        in.report_progress(done);
    }
}

}  // namespace

bool copy_contents(InFile& in, OutFile& out) {
    // Only into a new file: one written through is emptied when the source
    // gives its first byte, which read() shows before anything is written.
    if (in.size() > 0 && out.staged()) {
        switch (kernel_copy(in, out)) {
            case Kernel::copied:
                return true;
            case Kernel::failed:
                return false;
            case Kernel::refused:
                break;
        }
    }
    return blocks::copy(in, out);
}

}  // namespace versos::fileio
