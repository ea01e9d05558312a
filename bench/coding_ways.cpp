// coding_ways: the ways a keyed XOR coding could move a file, timed inside
// one process against the kernel's own copy, so that the choice the file
// routines make (read, code, write) can be checked on another machine:
//
//   coding_ways FILE [ROUNDS]     (writes FILE.XXXXXX beside it; 9 rounds)
//
//   kernel copy        copy_file_range: what cat does (the peer)
//   read-code-write    read a 256 KiB block, XOR it, write it (codef's way)
//   reserve first      the same after fallocate of the whole target
//   mapped source      the source mapped 16 MiB at a time, coded into a
//                      block, written
//   both mapped        fallocate, then source and target mapped and coded
//                      from one into the other: one pass over the bytes
//
// Mapping costs a page-table entry a page; where that is dear (some virtual
// machines), the mapped ways lose although they copy less. Each round runs
// every way once, in turn; the medians are printed, with their ratio to the
// kernel copy. The target is removed before each run, outside its time.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kBlock = 256 * 1024;
constexpr std::size_t kWindow = 16u << 20;
const std::uint8_t kKey[] = "CLAVE";

double now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

std::string g_target;  // the file this program made, removed whatever happens

[[noreturn]] void fail(const char* what) {
    std::perror(what);
    if (!g_target.empty()) ::unlink(g_target.c_str());
    std::exit(2);
}

// out[i] = in[i] ^ key byte at `at + i`, eight bytes a step through a
// pattern of the key laid out long enough for a window.
struct Xor {
    std::vector<std::uint8_t> pattern;
    explicit Xor(std::size_t longest) : pattern(longest + sizeof kKey) {
        for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = kKey[i % (sizeof kKey - 1)];
    }
    void operator()(std::uint8_t* out, const std::uint8_t* in, std::size_t n, std::uint64_t at) const {
        const std::uint8_t* k = pattern.data() + at % (sizeof kKey - 1);
        std::size_t i = 0;
        for (; i + 8 <= n; i += 8) {
            std::uint64_t a, b;
            std::memcpy(&a, in + i, 8);
            std::memcpy(&b, k + i, 8);
            a ^= b;
            std::memcpy(out + i, &a, 8);
        }
        for (; i < n; ++i) out[i] = in[i] ^ k[i];
    }
};

void write_all(int fd, const std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w <= 0) fail("write");
        p += w;
        n -= static_cast<std::size_t>(w);
    }
}

void reserve(int fd, std::size_t size) {
    if (::fallocate(fd, 0, 0, static_cast<off_t>(size)) != 0) fail("fallocate");
}

void kernel_copy(int in, int out, std::size_t, const Xor&, std::uint8_t*) {
    while (::copy_file_range(in, nullptr, out, nullptr, kWindow, 0) > 0) {
    }
}

void read_code_write(int in, int out, std::size_t, const Xor& code, std::uint8_t* block) {
    std::uint64_t at = 0;
    for (ssize_t n; (n = ::read(in, block, kBlock)) > 0; at += static_cast<std::uint64_t>(n)) {
        code(block, block, static_cast<std::size_t>(n), at);
        write_all(out, block, static_cast<std::size_t>(n));
    }
}

void reserve_first(int in, int out, std::size_t size, const Xor& code, std::uint8_t* block) {
    reserve(out, size);
    read_code_write(in, out, size, code, block);
}

void mapped_source(int in, int out, std::size_t size, const Xor& code, std::uint8_t* block) {
    for (std::size_t off = 0; off < size; off += kWindow) {
        const std::size_t w = std::min(kWindow, size - off);
        void* m = ::mmap(nullptr, w, PROT_READ, MAP_SHARED | MAP_POPULATE, in, static_cast<off_t>(off));
        if (m == MAP_FAILED) fail("mmap");
        const auto* src = static_cast<const std::uint8_t*>(m);
        for (std::size_t o = 0; o < w; o += kBlock) {
            const std::size_t n = std::min(kBlock, w - o);
            code(block, src + o, n, off + o);
            write_all(out, block, n);
        }
        ::munmap(m, w);
    }
}

void both_mapped(int in, int out, std::size_t size, const Xor& code, std::uint8_t*) {
    reserve(out, size);
    for (std::size_t off = 0; off < size; off += kWindow) {
        const std::size_t w = std::min(kWindow, size - off);
        void* s = ::mmap(nullptr, w, PROT_READ, MAP_SHARED | MAP_POPULATE, in, static_cast<off_t>(off));
        void* t = ::mmap(nullptr, w, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, out, static_cast<off_t>(off));
        if (s == MAP_FAILED || t == MAP_FAILED) fail("mmap");
        code(static_cast<std::uint8_t*>(t), static_cast<const std::uint8_t*>(s), w, off);
        ::munmap(s, w);
        ::munmap(t, w);
    }
}

struct Way {
    const char* name;
    void (*run)(int, int, std::size_t, const Xor&, std::uint8_t*);
    std::vector<double> ms;
    std::uint64_t hash = 0;  // of what it wrote, the last round
};

// FNV-1a of the whole file.
std::uint64_t hash_of(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("open");
    std::vector<std::uint8_t> buf(kBlock);
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (ssize_t n; (n = ::read(fd, buf.data(), buf.size())) > 0;)
        for (ssize_t i = 0; i < n; ++i) h = (h ^ buf[static_cast<std::size_t>(i)]) * 0x100000001b3ULL;
    ::close(fd);
    return h;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: coding_ways FILE [ROUNDS]\n", stderr);
        return 2;
    }
    const int rounds = argc == 3 ? std::atoi(argv[2]) : 9;
    if (rounds < 1) return 2;
    const std::string source = argv[1];
    struct stat st;
    if (::stat(source.c_str(), &st) != 0) fail(source.c_str());
    std::string target = source + ".XXXXXX";  // a name of its own: no file of anyone's is replaced
    const int made = ::mkostemp(target.data(), O_CLOEXEC);
    if (made < 0) fail("mkstemp");
    ::close(made);
    g_target = target;
    const auto size = static_cast<std::size_t>(st.st_size);
    const Xor code(kWindow);
    std::vector<std::uint8_t> block(kBlock);
    Way ways[] = {{"kernel copy", kernel_copy, {}},
                  {"read-code-write", read_code_write, {}},
                  {"reserve first", reserve_first, {}},
                  {"mapped source", mapped_source, {}},
                  {"both mapped", both_mapped, {}}};
    for (int r = 0; r < rounds; ++r) {
        for (Way& way : ways) {
            ::unlink(target.c_str());
            const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
            const int out = ::open(target.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (out < 0 && errno == EEXIST) g_target.clear();  // another's file took the name meanwhile
            if (in < 0 || out < 0) fail("open");
            const double start = now();
            way.run(in, out, size, code, block.data());
            way.ms.push_back((now() - start) * 1e3);
            ::close(in);
            ::close(out);
            if (r == rounds - 1) way.hash = hash_of(target);
        }
    }
    for (const Way& way : ways)
        if (way.hash != ways[1].hash && &way != &ways[0]) {
            std::fprintf(stderr, "coding_ways: '%s' wrote other bytes than '%s'\n", way.name, ways[1].name);
            ::unlink(target.c_str());
            return 1;
        }
    ::unlink(target.c_str());
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double peer = median(ways[0].ms);
    std::printf("%zu bytes, %d rounds, medians:\n", size, rounds);
    for (const Way& way : ways)
        std::printf("  %-16s %8.1f ms  %.2f x the kernel copy\n", way.name, median(way.ms), median(way.ms) / peer);
    return 0;
}
