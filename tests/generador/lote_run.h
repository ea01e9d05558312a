// versos-lote run as a user runs it, for the tests on every system
// (versos_lote_test.cpp) and those that need a POSIX shell and Linux's
// devices (versos_lote_linux_test.cpp).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>
#include <versos/generador.h>

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace versos::testing {

inline ProcessResult lote(const std::vector<std::string>& args, const std::string& input = "") {
    std::vector<std::string> argv = {LOTE_BIN};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_program(argv, ProcessOptions{{"PATH=/usr/bin:/bin"}, input, 30});
}

inline std::string lines_of(const std::vector<std::pair<char, int>>& pairs, bool utf8 = true) {
    std::string text;
    for (const auto& [mode, seed] : pairs) text += *(utf8 ? fragmento_utf8(mode, seed) : fragmento(mode, seed)) + "\n";
    return text;
}

}  // namespace versos::testing
