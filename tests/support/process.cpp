// The parts of running a program that are the same on every system
// (process_posix.cpp and process_windows.cpp run it).
#include "tests/support/process.h"

#include <unistd.h>
#include <cstdlib>

namespace versos::testing {

pid_t start_in_child(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body() & 0xff);
    return pid;
}

int wait_for_child(pid_t child) {
    if (child < 0) return -1;
    int status = 0;
    pid_t got;
    while ((got = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    return got == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int run_in_child(const std::function<int()>& body) { return wait_for_child(start_in_child(body)); }

Pipe::Pipe() : made_(pipe2(ends_, O_CLOEXEC) == 0) {
    if (!made_) ends_[0] = ends_[1] = -1;
}

Pipe::~Pipe() {
    close_read_end();
    close_write_end();
}

void Pipe::close_read_end() {
    if (ends_[0] >= 0) close(ends_[0]);
    ends_[0] = -1;
}

void Pipe::close_write_end() {
    if (ends_[1] >= 0) close(ends_[1]);
    ends_[1] = -1;
}

ProcessResult run_program(const std::string& path, const std::vector<std::string>& args,
                          const std::vector<std::string>& env) {
    std::vector<std::string> argv{path};
    argv.insert(argv.end(), args.begin(), args.end());
    return run_program(argv, ProcessOptions{env, "", 10});
}

std::vector<std::string> environment_with(const std::vector<std::string>& set, const std::vector<std::string>& unset) {
    auto named = [](const std::string& entry, const std::string& name) { return entry.rfind(name + "=", 0) == 0; };
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool dropped = false;
        for (const std::string& name : unset) dropped |= named(entry, name);
        for (const std::string& wanted : set) dropped |= named(entry, wanted.substr(0, wanted.find('=')));
        if (!dropped) env.push_back(entry);
    }
    env.insert(env.end(), set.begin(), set.end());
    return env;
}

}  // namespace versos::testing
