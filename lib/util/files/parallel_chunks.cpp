#include "parallel_chunks.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

#include "lib/posix_io/posix_io.h"

namespace versos::fileio {
namespace {

constexpr std::size_t kChunk = blocks::kBlockSize;  // what the codings handle in one piece
constexpr std::uint64_t kMinimum = 16 * 1024 * 1024;

bool regular(int fd) {
    struct stat st;
    return fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// What one thread met; the first failure of either is the one reported.
struct Outcome {
    bool read_failed = false;
    bool write_failed = false;
    int error = 0;
    std::uint64_t end = UINT64_MAX;  // where a short read found the file's end
};

}  // namespace

bool worth_chunking(const InFile& in, const OutFile& out) {
    // Into a staged file only: one written through would be emptied before
    // the source had given a byte.
    return in.size() >= kMinimum && regular(in.fd()) && out.staged();
}

bool code_in_chunks(InFile& in, OutFile& out, const ChunkCode& code) {
    if (!out.start()) return false;  // the threads write with pwrite, past OutFile::write
    const std::uint64_t size = in.size();
    std::atomic<std::uint64_t> next{0}, done{0};
    std::atomic<bool> stop{false};

    auto work = [&](Outcome& outcome, bool reports_progress) {
        const blocks::Buffer buf = blocks::make_buffer(kChunk);
        if (!buf) {
            outcome.write_failed = true;
            outcome.error = ENOMEM;
        }
        while (buf && !stop) {
            const std::uint64_t offset = next.fetch_add(kChunk);
            if (offset >= size) break;
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - offset));
            const std::ptrdiff_t n = posix_io::pread_full(in.fd(), buf.get(), want, offset);
            if (n < 0) {
                outcome.read_failed = true;
                outcome.error = errno;
                break;
            }
            if (static_cast<std::size_t>(n) < want) outcome.end = std::min(outcome.end, offset + n);
            code(buf.get(), static_cast<std::size_t>(n), offset);
            if (!posix_io::pwrite_all(out.fd(), buf.get(), static_cast<std::size_t>(n), offset)) {
                outcome.write_failed = true;
                outcome.error = errno;
                break;
            }
            const std::uint64_t total = done += static_cast<std::uint64_t>(n);
            if (reports_progress) in.report_progress(total);
        }
        if (outcome.read_failed || outcome.write_failed) stop = true;
    };

    Outcome helper_outcome, own_outcome;
    std::thread helper(work, std::ref(helper_outcome), false);
    work(own_outcome, true);
    helper.join();

    for (const Outcome& o : {own_outcome, helper_outcome}) {
        if (o.read_failed) return in.fail_read(o.error);
        if (o.write_failed) return out.fail_write(o.error);
    }
    const std::uint64_t end = std::min(own_outcome.end, helper_outcome.end);
    if (end < size && ::ftruncate(out.fd(), static_cast<off_t>(end)) != 0) return out.fail_write(errno);
    in.report_progress(std::min(end, size));
    return true;
}

}  // namespace versos::fileio
