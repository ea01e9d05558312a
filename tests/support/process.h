// Runs a program as a child process with a given environment and collects
// its exit status and output.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <functional>
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

// Sets or removes a variable of this process's own environment.
void set_environment(const std::string& name, const std::string& value);
void unset_environment(const std::string& name);

// POSIX systems only (process_posix.cpp):

// Forks a child that runs `body` and ends with _exit(body() & 0xff); a body
// that execs a program returns 127 for an exec that failed. The child's
// pid, or -1 when it can't be forked. Only the calling thread is copied, so
// the body uses nothing another thread may hold (no gtest assertions).
pid_t start_in_child(const std::function<int()>& body);

// Waits for a child: its exit status, or -1 when it did not exit by itself
// (a signal ended it) or can't be waited for.
int wait_for_child(pid_t child);

// start_in_child, then wait_for_child.
int run_in_child(const std::function<int()>& body);

// A pipe whose ends close with it (O_CLOEXEC: no program the test starts
// inherits them). ok() is false when it could not be made.
class Pipe {
public:
    Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe();

    bool ok() const { return made_; }
    int read_end() const { return ends_[0]; }
    int write_end() const { return ends_[1]; }
    // Closes one end now, as the side that does not use it must.
    void close_read_end();
    void close_write_end();

private:
    int ends_[2] = {-1, -1};
    bool made_;
};

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
