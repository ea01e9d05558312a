#include "compression_files.h"

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstring>

namespace versos::zeroruns {
namespace {

struct SavingSum {
    Format format;
    std::int64_t total = 0;
    void literals(const std::uint8_t*, std::size_t) {}
    void run(std::uint64_t n) { total += run_saving(format, n); }
};

struct RunCounter {
    RunReport& report;
    void literals(const std::uint8_t*, std::size_t) {}
    void run(std::uint64_t n) {
        if (n < RunReport::kCounted)
            ++report.count[n];
        else
            ++report.long_runs;
        if (n > report.longest) report.longest = n;
    }
};

template <class Visitor>
bool scan_file(const char* path, Visitor& visitor) {
    fileio::InFile in;
    if (!in.open(path)) return false;
    RunScanner scanner;
    if (!blocks::for_each_block(in, [&](const std::uint8_t* p, std::size_t n) { scanner.scan(p, n, visitor); })) {
        // A read error is noted already; no buffer is not, and the -1 it
        // gives must not pass for an estimate.
        if (fileio::failure().what == nullptr) fileio::note_failure("cannot read %s", path, ENOMEM);
        return false;
    }
    scanner.finish(visitor);
    return true;
}

}  // namespace

bool encode_file(Format format, const char* source, const char* target) {
    return fileio::transform_file(source, target,
                                  [format](blocks::Source& in, blocks::Sink& out) { return encode(format, in, out); });
}

bool decode_file(Format format, const char* source, const char* target) {
    return fileio::transform_file(source, target,
                                  [format](blocks::Source& in, blocks::Sink& out) { return decode(format, in, out); });
}

int has_zero(blocks::Source& in) {
    switch (
        blocks::walk_blocks(in, [](const std::uint8_t* p, std::size_t n) { return std::memchr(p, 0, n) == nullptr; })) {
        case blocks::Walk::stopped:
            return 1;
        case blocks::Walk::end:
            return 0;
        case blocks::Walk::failed:
            break;
    }
    return -1;
}

std::optional<std::int64_t> saving_estimate(Format format, const char* path) {
    SavingSum sum{format};
    if (!scan_file(path, sum)) return std::nullopt;
    return sum.total;
}

int estimate_result(std::optional<std::int64_t> total) {
    if (!total) return -1;
    return *total > INT_MAX ? INT_MAX : *total < INT_MIN ? INT_MIN : static_cast<int>(*total);
}

bool run_report(const char* path, RunReport& report) {
    report = RunReport{};
    RunCounter counter{report};
    return scan_file(path, counter);
}

void print_run_report(const RunReport& report, const char* longest) {
    for (int length = 0; length < RunReport::kCounted; ++length)
        if (report.count[length] != 0) std::printf("\n%d = %" PRIu64 "\n", length, report.count[length]);
    std::printf("\nMayor o igual a 1024 = %" PRIu64 "\n", report.long_runs);
    std::printf("\n%s = %" PRIu64 "\n", longest, report.longest);
    std::fflush(stdout);
}

}  // namespace versos::zeroruns
