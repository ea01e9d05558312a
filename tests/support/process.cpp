#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "lib/posix_io/posix_io.h"

namespace versos::testing {
namespace {

std::vector<char*> c_strings(std::vector<std::string>& v) {
    std::vector<char*> out;
    for (auto& s : v) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

ProcessResult run_program(const std::vector<std::string>& argv, const ProcessOptions& options) {
    std::vector<std::string> argv_strings = argv;
    std::vector<std::string> env_strings = options.env;
    auto args = c_strings(argv_strings);
    auto envp = c_strings(env_strings);
    ProcessResult result;

    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe: " << std::strerror(errno);
        return result;
    }
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(options.stderr_fd >= 0 ? options.stderr_fd : err[1], 2);
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    signal(SIGPIPE, SIG_IGN);
    if (!posix_io::write_all(in[1], options.input.data(), options.input.size())) {
        ADD_FAILURE() << args[0] << ": cannot feed the input: " << std::strerror(errno);
        result.err = "cannot feed the input";
    }
    close(in[1]);

    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open_pipes = 2;
    while (open_pipes > 0) {
        const double left = options.timeout - since(start);
        if (left <= 0) {
            result.timed_out = true;
            break;
        }
        if (poll(fds, 2, static_cast<int>(left * 1000) + 1) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char block[65536];
            const ssize_t n = read(fds[i].fd, block, sizeof block);
            if (n > 0) {
                sinks[i]->append(block, static_cast<std::size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_pipes;
            }
        }
    }
    for (const pollfd& p : fds)
        if (p.fd >= 0) close(p.fd);
    if (result.timed_out) kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.seconds = since(start);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

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

::testing::AssertionResult is_usage_error(const ProcessResult& r, const std::string& program,
                                          const std::string& problem) {
    const std::string head = program + ": ";
    const std::string tail = "\nTry '" + program + " --help'.\n";
    const std::string& e = r.err;
    const bool shaped = e.size() > head.size() + tail.size() && e.compare(0, head.size(), head) == 0 &&
                        e.compare(e.size() - tail.size(), tail.size(), tail) == 0 &&
                        e.find('\n') == e.size() - tail.size();
    if (r.status == 2 && r.out.empty() && shaped && e.find(problem) < e.size() - tail.size())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "status " << r.status << ", stdout '" << r.out << "', stderr '" << e
                                         << "' (wanted '" << head << "..." << problem << "..." << tail << "')";
}

}  // namespace versos::testing
