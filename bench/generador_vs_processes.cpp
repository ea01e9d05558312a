// generador_vs_processes: fragments a second three ways, for the same
// fragments, in one run:
//   - versos + versos-pegar, two processes a fragment, on a file clipboard
//     (the peer: what a caller did before the library);
//   - the generator library on one thread;
//   - versos-lote, one process for a file of MODE SEED lines, and the same
//     lines through a pipe, written by a thread of this program in 64 KiB
//     pieces (a pipe can run dry, and versos-lote then writes out its
//     answers before it waits).
// Rounds alternate between the three, so that all see the same machine; the
// median of each is printed, with its ratio against the peer. Every way's
// fragments are checked against the library's.
//
//   generador_vs_processes BIN_DIR [ROUNDS]
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>
#include <versos/generador.h>

namespace {

constexpr int kProcessFragments = 200;       // a round of the peer
constexpr int kLibraryFragments = 3'000'000;  // a round of the library
constexpr int kLoteLines = 1'000'000;         // a round of versos-lote

double now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "generador_vs_processes: %s\n", why.c_str());
    std::exit(2);
}

struct Pair {
    char mode;
    int seed;
};

// Every mode in turn, seeds from all over the int range.
std::vector<Pair> make_pairs(int n) {
    std::vector<Pair> pairs;
    std::uint32_t x = 88172645u;
    for (int i = 0; i < n; ++i) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        pairs.push_back({versos::modos[i % (sizeof versos::modos - 1)], static_cast<int>(x)});
    }
    return pairs;
}

// Runs argv with standard input and output on the given files (-1: as
// they are); returns the exit status.
int run(const std::vector<std::string>& args, const std::vector<std::string>& env, int in, int out) {
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (in >= 0) posix_spawn_file_actions_adddup2(&actions, in, STDIN_FILENO);
    if (out >= 0) posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    pid_t pid;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) fail("cannot run " + args[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) fail(args[0] + " did not exit");
    return WEXITSTATUS(status);
}

std::string read_all(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

struct Setup {
    std::string bin, dir;
    std::vector<Pair> pairs;
    std::string expected_lote;  // versos-lote's output for the first kLoteLines pairs
};

double peer_round(const Setup& s) {
    const std::vector<std::string> env = {"PATH=/usr/bin:/bin", "VERSOS_CLIPBOARD_FILE=" + s.dir + "/clipboard"};
    const std::string pasted = s.dir + "/pasted";
    const double start = now();
    for (int i = 0; i < kProcessFragments; ++i) {
        const Pair p = s.pairs[i];
        if (run({s.bin + "/versos", std::string(1, p.mode), std::to_string(p.seed)}, env, -1, -1) != 0)
            fail("versos failed");
        const int out = open(pasted.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (run({s.bin + "/versos-pegar"}, env, -1, out) != 0) fail("versos-pegar failed");
        close(out);
        if (read_all(pasted) != *versos::fragmento_utf8(p.mode, p.seed)) fail("versos-pegar pasted another fragment");
    }
    return kProcessFragments / (now() - start);
}

double cpu_now() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The wall-clock rate; `cpu_rate` gets the rate in this thread's processor
// time, which a loaded machine disturbs less.
double library_round(const Setup& s, double& cpu_rate) {
    std::string out;
    std::size_t bytes = 0;
    const double start = now(), cpu_start = cpu_now();
    for (int i = 0; i < kLibraryFragments; ++i) {
        const Pair p = s.pairs[i];
        versos::fragmento(p.mode, p.seed, out);
        bytes += out.size();
    }
    cpu_rate = kLibraryFragments / (cpu_now() - cpu_start);
    const double rate = kLibraryFragments / (now() - start);
    if (bytes == 0) fail("the library made nothing");
    return rate;
}

double lote_round(const Setup& s) {
    const int in = open((s.dir + "/lines").c_str(), O_RDONLY);
    const int out = open((s.dir + "/fragments").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0) fail("cannot open the line files");
    const double start = now();
    if (run({s.bin + "/versos-lote"}, {"PATH=/usr/bin:/bin"}, in, out) != 0) fail("versos-lote failed");
    const double rate = kLoteLines / (now() - start);
    close(in);
    close(out);
    if (read_all(s.dir + "/fragments") != s.expected_lote) fail("versos-lote wrote other fragments");
    return rate;
}

double lote_pipe_round(const Setup& s, const std::string& lines) {
    int pipe[2];
    if (pipe2(pipe, O_CLOEXEC) != 0) fail("cannot make a pipe");
    const int out = open((s.dir + "/fragments").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0) fail("cannot open the fragments file");
    const double start = now();
    std::thread writer([&] {
        constexpr std::size_t kPiece = 64 << 10;
        for (std::size_t at = 0; at < lines.size(); at += kPiece) {
            const std::size_t n = std::min(kPiece, lines.size() - at);
            for (std::size_t done = 0; done < n;) {
                const ssize_t w = write(pipe[1], lines.data() + at + done, n - done);
                if (w <= 0) fail("cannot write into the pipe");
                done += static_cast<std::size_t>(w);
            }
        }
        close(pipe[1]);
    });
    const int status = run({s.bin + "/versos-lote"}, {"PATH=/usr/bin:/bin"}, pipe[0], out);
    const double rate = kLoteLines / (now() - start);
    writer.join();
    close(pipe[0]);
    close(out);
    if (status != 0) fail("versos-lote failed");
    if (read_all(s.dir + "/fragments") != s.expected_lote) fail("versos-lote wrote other fragments from a pipe");
    return rate;
}

std::string loadavg() {
    std::string text = read_all("/proc/loadavg");
    return text.substr(0, text.find(' ', text.find(' ', text.find(' ') + 1) + 1));
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) fail("usage: generador_vs_processes BIN_DIR [ROUNDS]");
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    char dir_template[] = "/tmp/versos-bench-XXXXXX";
    if (mkdtemp(dir_template) == nullptr) fail("cannot make a temporary folder");
    Setup s{argv[1], dir_template, make_pairs(std::max(kLibraryFragments, kLoteLines)), ""};

    std::string lines;
    for (int i = 0; i < kLoteLines; ++i) {
        const Pair p = s.pairs[i];
        lines += std::string(1, p.mode) + ' ' + std::to_string(p.seed) + '\n';
        s.expected_lote += *versos::fragmento_utf8(p.mode, p.seed) + '\n';
    }
    std::ofstream(s.dir + "/lines", std::ios::binary) << lines;

    std::printf("load average before: %s (%ld processors online)\n", loadavg().c_str(), sysconf(_SC_NPROCESSORS_ONLN));
    std::vector<double> peer, library, library_cpu, lote, lote_pipe;
    for (int r = 0; r < rounds; ++r) {
        peer.push_back(peer_round(s));
        library.push_back(library_round(s, library_cpu.emplace_back()));
        lote.push_back(lote_round(s));
        lote_pipe.push_back(lote_pipe_round(s, lines));
    }
    const double p = median(peer), l = median(library), b = median(lote), bp = median(lote_pipe);
    std::printf("load average after:  %s\n", loadavg().c_str());
    std::printf("median of %d rounds, fragments a second:\n", rounds);
    std::printf("  versos + versos-pegar, file clipboard  %12.0f  (peer)\n", p);
    std::printf("  library, one thread                    %12.0f  %9.0fx\n", l, l / p);
    std::printf("  versos-lote, lines from a file         %12.0f  %9.0fx\n", b, b / p);
    std::printf("  versos-lote, lines through a pipe      %12.0f  %9.0fx\n", bp, bp / p);
    std::printf("  (library in its thread's processor time: %.0f a second)\n", median(library_cpu));
    std::remove((s.dir + "/lines").c_str());
    std::remove((s.dir + "/fragments").c_str());
    std::remove((s.dir + "/pasted").c_str());
    std::remove((s.dir + "/clipboard").c_str());
    std::remove((s.dir + "/clipboard.lock").c_str());
    rmdir(s.dir.c_str());
    return 0;
}
