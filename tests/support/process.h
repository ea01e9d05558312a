// Runs a program as a child process with a given environment and collects
// its exit status and output.
#pragma once

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
    std::string input;             // fed to standard input
    double timeout = 10;           // seconds; then the program is killed
};

// argv[0] is looked up in PATH. Waits until the program has exited and
// closed both output pipes: a detached child still holding one keeps it
// waiting, as it would keep any caller that captures the output.
ProcessResult run_program(const std::vector<std::string>& argv, const ProcessOptions& options);

// The same with `env` as the whole environment and nothing on standard input.
ProcessResult run_program(const std::string& path, const std::vector<std::string>& args,
                          const std::vector<std::string>& env);

// A fresh folder under TMPDIR or /tmp, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Whole file, or nullopt-like: `exists` false when it can't be read.
struct FileContent {
    bool exists = false;
    std::string bytes;
};
FileContent read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);

}  // namespace versos::testing
