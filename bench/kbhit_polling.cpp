// kbhit_polling: what `while (!kbhit_()); getch_();` costs on a
// pseudo-terminal, against its peer, a blocking read(2) of one byte on the
// same terminal in raw mode, which spends nothing while it waits and wakes
// at once. Each runs in a process of its own; for each, this prints the CPU
// it used while waiting for 2 s with no key, and how soon a key typed after
// that wait is seen (median and worst of the repetitions), as ratios
// against the peer.
//
//   kbhit_polling [-n REPETITIONS]   (default 20)
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include <versos/consola.h>

namespace {

constexpr double kIdleSeconds = 2.0;
constexpr int kLatencyWaitMs = 50;  // idle before each timed key, so the loop is deep in its sleep

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The waiting side: one byte on `report` for every key seen, until 'q'.
void polling_loop(int report) {
    for (;;) {
        while (!versos::kbhit_()) {
        }
        const int key = versos::getch_();
        if (key == 'q' || write(report, "k", 1) != 1) return;
    }
}

void blocking_reads(int report) {
    termios t{};
    tcgetattr(STDIN_FILENO, &t);
    cfmakeraw(&t);
    tcsetattr(STDIN_FILENO, TCSANOW, &t);
    char key;
    while (read(STDIN_FILENO, &key, 1) == 1 && key != 'q')
        if (write(report, "k", 1) != 1) return;
}

struct Measured {
    double cpu_share = 0;  // of one core, while idle
    double median_ms = 0, worst_ms = 0;
};

double cpu_seconds(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    FILE* f = std::fopen(path, "r");
    if (!f) return 0;
    char text[1024] = {};
    const std::size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    text[n] = '\0';
    // Fields 14 and 15 (utime, stime) follow the command's closing parenthesis.
    const char* p = std::strrchr(text, ')');
    unsigned long utime = 0, stime = 0;
    if (!p || std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2) return 0;
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool wait_readable(int fd, int timeout_ms) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeout_ms) == 1;
}

void drain(int fd) {
    char buffer[4096];
    while (wait_readable(fd, 0) && read(fd, buffer, sizeof buffer) > 0) {
    }
}

// The time from a key's write to the waiter's report of it.
double key_seen_after(int master, int report) {
    char byte;
    const double typed = now();
    if (write(master, "k", 1) != 1 || !wait_readable(report, 10000) || read(report, &byte, 1) != 1) {
        std::fprintf(stderr, "kbhit_polling: the key was never seen\n");
        std::exit(1);
    }
    return now() - typed;
}

Measured measure(void (*waiter)(int), int repetitions) {
    int report[2], master;
    winsize size{25, 80, 0, 0};
    if (pipe(report) != 0) std::exit(1);
    const pid_t child = forkpty(&master, nullptr, nullptr, &size);
    if (child < 0) {
        std::perror("kbhit_polling: forkpty");
        std::exit(1);
    }
    if (child == 0) {
        close(report[0]);
        waiter(report[1]);
        _exit(0);
    }
    close(report[1]);
    key_seen_after(master, report[0]);  // started and waiting
    Measured m;
    const double cpu_before = cpu_seconds(child), start = now();
    const timespec idle{static_cast<time_t>(kIdleSeconds), 0};
    nanosleep(&idle, nullptr);
    m.cpu_share = (cpu_seconds(child) - cpu_before) / (now() - start);
    std::vector<double> seen;
    for (int i = 0; i < repetitions; ++i) {
        drain(master);
        poll(nullptr, 0, kLatencyWaitMs);
        seen.push_back(key_seen_after(master, report[0]) * 1000);
    }
    if (write(master, "q", 1) != 1) std::exit(1);
    waitpid(child, nullptr, 0);
    close(master);
    close(report[0]);
    std::sort(seen.begin(), seen.end());
    m.median_ms = seen[seen.size() / 2];
    m.worst_ms = seen.back();
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    int repetitions = 20;
    if (argc == 3 && std::strcmp(argv[1], "-n") == 0) repetitions = std::max(1, std::atoi(argv[2]));
    const Measured peer = measure(blocking_reads, repetitions);
    const Measured ours = measure(polling_loop, repetitions);
    std::printf("waiting %.0f s with no key, then %d keys, each after %d ms idle\n", kIdleSeconds, repetitions,
                kLatencyWaitMs);
    std::printf("%-28s %8s %12s %12s\n", "", "CPU", "seen median", "seen worst");
    std::printf("%-28s %7.2f%% %9.3f ms %9.3f ms\n", "blocking read(2) (peer)", peer.cpu_share * 100, peer.median_ms,
                peer.worst_ms);
    std::printf("%-28s %7.2f%% %9.3f ms %9.3f ms\n", "while (!kbhit_()); getch_()", ours.cpu_share * 100,
                ours.median_ms, ours.worst_ms);
    std::printf("ratio (ours / peer)          %8s %11.2fx %11.2fx\n", "", ours.median_ms / peer.median_ms,
                ours.worst_ms / peer.worst_ms);
    return 0;
}
