// Runs a program as a child process with a given environment and collects
// its exit status and output.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace versos::testing {

struct ProcessResult {
    int status = -1;  // exit status; -1 if it did not exit normally
    std::string out;
    std::string err;
    double seconds = 0;  // until it had exited and both output pipes were closed
    bool timed_out = false;
};

struct ProcessOptions {
    std::vector<std::string> env;  // the whole environment, "NAME=value" entries
    std::string input;             // fed to standard input, whole, before the output is read
    double timeout = 10;           // seconds; then the program is killed
    int stderr_fd = -1;            // standard error goes there instead of into `err`
};

// argv[0] is looked up in PATH. Waits until the program has exited and
// closed both output pipes: a detached child still holding one keeps it
// waiting, as it would keep any caller that captures the output.
ProcessResult run_program(const std::vector<std::string>& argv, const ProcessOptions& options);

// The same with `env` as the whole environment and nothing on standard input.
ProcessResult run_program(const std::string& path, const std::vector<std::string>& args,
                          const std::vector<std::string>& env);

// This process's environment, without the variables named in `unset` and
// with the "NAME=value" entries of `set` in place of their namesakes.
std::vector<std::string> environment_with(const std::vector<std::string>& set,
                                          const std::vector<std::string>& unset = {});

// How versos-pegar, versos-lote and ficheros answer a wrong command line:
// status 2, nothing on standard output and, on standard error, one line
// "PROGRAM: PROBLEM" (PROBLEM holding `problem`) and "Try 'PROGRAM --help'.".
::testing::AssertionResult is_usage_error(const ProcessResult& r, const std::string& program,
                                          const std::string& problem = "");

}  // namespace versos::testing
