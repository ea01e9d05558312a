// The one way versos-pegar, versos-lote and ficheros answer a wrong command
// line: a line naming the problem, a pointer to --help, exit status 2.
#pragma once

#include "lib/posix_io/program_text.h"

namespace versos::programs {

constexpr int kUsageStatus = 2;

// "PROGRAM: PROBLEMDETAIL" and "Try 'PROGRAM --help'." on standard error
// (on a Windows console as letters).
inline int usage_error(const char* program, const char* problem, const char* detail = "") {
    program::messagef("%s: %s%s\nTry '%s --help'.\n", program, problem, detail, program);
    return kUsageStatus;
}

// The same words for an option no program knows.
inline int unknown_option(const char* program, const char* option) {
    program::messagef("%s: unknown option '%s'\nTry '%s --help'.\n", program, option, program);
    return kUsageStatus;
}

}  // namespace versos::programs
