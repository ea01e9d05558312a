// The zero-run codecs and scans on files, for the public routines, the keyed
// pipelines and ficheros.
#pragma once

#include <cstdint>
#include <optional>

#include "file_io.h"
#include "zero_runs.h"

namespace versos::zeroruns {

// Opens source, then target, and runs the codec: false if a file can't be
// opened, read or written.
bool encode_file(Format format, const char* source, const char* target);
bool decode_file(Format format, const char* source, const char* target);

// 1 if the source holds a zero byte, 0 if not, -1 if it can't be read
// (a read error is never taken for a zero).
int has_zero(blocks::Source& in);

// The saving estimate of a file, exactly; nothing if the file can't be opened
// or read (the public routines fold that into -1, a possible estimate too).
std::optional<std::int64_t> saving_estimate(Format format, const char* path);
// What the public routines return for it: -1 for nothing, else the total
// saturated at the limits of int.
int estimate_result(std::optional<std::int64_t> total);

// The run-length report of numcerosmatf_.
struct RunReport {
    static constexpr int kCounted = 1024;
    std::uint64_t count[kCounted] = {};  // runs of each length; count[0] stays 0
    std::uint64_t long_runs = 0;         // runs of kCounted zeros or more
    std::uint64_t longest = 0;
};
bool run_report(const char* path, RunReport& report);
// Prints it on standard output as numcerosmatf_ does, with `longest` (the
// words before the longest run's length) in the caller's encoding.
void print_run_report(const RunReport& report, const char* longest);

}  // namespace versos::zeroruns
