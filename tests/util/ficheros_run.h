// The ficheros command run as a user runs it, in a scratch folder: for the
// tests on every system (ficheros_test.cpp) and those about Linux itself
// (ficheros_linux_test.cpp).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace versos {

using testing::Bytes;
using testing::read_bytes;
using testing::write_file;

using testing::ProcessResult;

inline std::string text(const Bytes& b) { return std::string(b.begin(), b.end()); }

// 'path', as the messages name a file.
inline std::string quoted(const std::string& path) { return std::string("'").append(path).append("'"); }

class Ficheros : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()); }
    std::string path(const std::string& name) const { return dir / name; }

    // Runs ficheros with TMPDIR in the scratch folder; standard error goes
    // to err_fd when given, standard input is a pipe holding `input`.
    ProcessResult run(std::vector<std::string> args, int err_fd = -1, const Bytes& input = {}) {
        args.insert(args.begin(), FICHEROS_PATH);
        // Within a pipe's capacity: written whole before ficheros reads it.
        EXPECT_LE(input.size(), 4096u);
        // Large files under the sanitizers take a while: the time-out only
        // turns a hang into a failure.
        return testing::run_program(args,
                                    {testing::environment_with({"TMPDIR=" + dir.path()}), text(input), 300, err_fd});
    }

    testing::TempFolder dir;
};

}  // namespace versos
