#include "kernel_copy.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "lib/posix_io/posix_io.h"

namespace versos::fileio {
namespace {

// Large enough that the calls cost nothing, small enough that the progress
// display moves.
constexpr std::size_t kStep = 16u << 20;

bool write_error(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

// Copies the stretches of data of a regular file to the same offsets of a
// new file and leaves its holes unwritten, so that a sparse file stays
// sparse: with the kernel's copy, or with pread and pwrite where the kernel
// refuses (another file system).
class SparseCopy {
public:
    enum class Result { copied, refused, failed };

    SparseCopy(InFile& in, OutFile& out) : in_(in), out_(out) {}

    Result run() {
        std::uint64_t at = 0, start = 0, end = 0;
        while (posix_io::next_data(in_.fd(), at, start, end)) {
            const Result r = stretch(start, end);
            if (r != Result::copied) return r;
            if (ended_ || end == UINT64_MAX) break;
            at = end;
        }
        // The length of the source now, holes at its end included, never
        // less than what was read of it; where a read found its end early
        // (a file whose size said more than it holds, one that shrank),
        // what was read.
        struct stat st;
        if (::fstat(in_.fd(), &st) != 0) return in_.fail_read(errno), Result::failed;
        const std::uint64_t length =
            ended_ ? copied_end_ : std::max(copied_end_, static_cast<std::uint64_t>(st.st_size));
        // The position too, as though each byte had been written in turn.
        if (::ftruncate(out_.fd(), static_cast<off_t>(length)) != 0 ||
            ::lseek(out_.fd(), static_cast<off_t>(length), SEEK_SET) < 0)
            return out_.fail_write(errno), Result::failed;
        in_.report_progress(length);
        return Result::copied;
    }

private:
    Result stretch(std::uint64_t start, std::uint64_t end) {
        for (std::uint64_t at = start; at < end;) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kStep, end - at));
            const std::ptrdiff_t n = kernel_ ? by_kernel(at, want) : by_hand(at, want);
            if (n == kRefused) return Result::refused;
            if (n < 0) return Result::failed;
            if (n == 0) {  // the source ends before its stretch did: it shrank
                ended_ = true;
                break;
            }
            at += static_cast<std::uint64_t>(n);
            copied_end_ = std::max(copied_end_, at);
            in_.report_progress(at);
        }
        return Result::copied;
    }

    static constexpr std::ptrdiff_t kRefused = -2;

    std::ptrdiff_t by_kernel(std::uint64_t at, std::size_t want) {
        loff_t from = static_cast<loff_t>(at), to = static_cast<loff_t>(at);
        ssize_t n;
        do n = ::copy_file_range(in_.fd(), &from, out_.fd(), &to, want, 0);
        while (n < 0 && errno == EINTR);
        if (n >= 0 && (n > 0 || copied_end_ > 0)) return n;
        if (copied_end_ == 0 && n == 0) return kRefused;  // a file whose size says nothing: read it as it comes
        if (copied_end_ == 0 && !write_error(errno)) {
            kernel_ = false;  // another file system, an old kernel
            return by_hand(at, want);
        }
        const int error = errno;
        if (write_error(error))
            out_.fail_write(error);
        else
            in_.fail_read(error);
        return -1;
    }

    std::ptrdiff_t by_hand(std::uint64_t at, std::size_t want) {
        if (!buf_) buf_ = blocks::make_buffer(blocks::kBlockSize);
        if (!buf_) return in_.fail_read(ENOMEM), -1;
        want = std::min(want, blocks::kBlockSize);
        const std::ptrdiff_t n = posix_io::pread_full(in_.fd(), buf_.get(), want, at);
        if (n < 0) return in_.fail_read(errno), -1;
        if (n > 0 && !posix_io::pwrite_all(out_.fd(), buf_.get(), static_cast<std::size_t>(n), at))
            return out_.fail_write(errno), -1;
        return n;
    }

    InFile& in_;
    OutFile& out_;
    bool kernel_ = true;
    bool ended_ = false;
    std::uint64_t copied_end_ = 0;
    blocks::Buffer buf_;
};

}  // namespace

bool copy_contents(InFile& in, OutFile& out) {
    // Only into a new file: one written through is emptied when the source
    // gives its first byte, which read() shows before anything is written.
    if (in.size() > 0 && out.staged()) {
        switch (SparseCopy(in, out).run()) {
            case SparseCopy::Result::copied:
                return true;
            case SparseCopy::Result::failed:
                return false;
            case SparseCopy::Result::refused:
                // Nothing was copied; the walk over the stretches moved the
                // source's position.
                if (::lseek(in.fd(), 0, SEEK_SET) < 0) return in.fail_read(errno);
                break;
        }
    }
    return blocks::copy(in, out);
}

}  // namespace versos::fileio
