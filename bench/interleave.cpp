// interleave: times two commands as whole processes, run alternately many
// times so that both see the same machine, and prints the ratio of their
// median wall times (first / second).
//
//   interleave [-n RUNS] [-w WARM-UPS] [--shell] -- COMMAND A ARGS... -- COMMAND B ARGS...
//
// The warm-up runs (20 unless -w says otherwise) are not timed.
// With --shell each command is one string run by /bin/sh -c (for pipelines;
// both sides then pay for the shell). Standard output and error of the
// commands go to /dev/null. A command that exits non-zero stops the run.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct Command {
    std::vector<char*> argv;
    std::string text;
};

double now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double run_once(const Command& c) {
    const double start = now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("interleave: fork");
        std::exit(2);
    }
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execvp(c.argv[0], c.argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const double elapsed = now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "interleave: '%s' failed (status %d)\n", c.text.c_str(), status);
        std::exit(2);
    }
    return elapsed;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

[[noreturn]] void usage() {
    std::fputs("usage: interleave [-n RUNS] [-w WARM-UPS] [--shell] -- COMMAND A... -- COMMAND B...\n", stderr);
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 500;
    int warm_ups = 20;
    bool shell = false;
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "-n") == 0 && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "-w") == 0 && i + 1 < argc)
            warm_ups = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--shell") == 0)
            shell = true;
        else
            usage();
    }
    Command cmd[2];
    for (Command& c : cmd) {
        if (i >= argc || std::strcmp(argv[i], "--") != 0) usage();
        for (++i; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
            c.argv.push_back(argv[i]);
            if (!c.text.empty()) c.text += ' ';
            c.text += argv[i];
        }
        if (c.argv.empty()) usage();
        if (shell) {
            if (c.argv.size() != 1) usage();
            static char sh[] = "/bin/sh", dash_c[] = "-c";
            c.argv.insert(c.argv.begin(), {sh, dash_c});
        }
        c.argv.push_back(nullptr);
    }
    if (runs < 1 || warm_ups < 0) usage();

    for (int w = 0; w < warm_ups; ++w) run_once(cmd[w % 2]);  // warm the caches of both
    std::vector<double> t[2];
    for (int r = 0; r < runs; ++r)
        for (int k = 0; k < 2; ++k) t[(r + k) % 2].push_back(run_once(cmd[(r + k) % 2]));  // alternate who goes first

    const double a = median(t[0]), b = median(t[1]);
    std::printf("A: %-50s median %8.1f us\n", cmd[0].text.c_str(), a * 1e6);
    std::printf("B: %-50s median %8.1f us\n", cmd[1].text.c_str(), b * 1e6);
    std::printf("ratio A/B: %.3f  (%d runs each, interleaved)\n", a / b, runs);
    return 0;
}
