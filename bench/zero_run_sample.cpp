// zero_run_sample PATH BYTES [SEED]: writes a file of runs of zeros of many
// lengths (1 to 4096, as many short runs as long ones on a log scale)
// between stretches of random non-zero bytes (1 to 2048 long, likewise), the
// input of the ficheros benchmark.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Random {
    std::uint64_t state;
    std::uint64_t next() {  // xorshift64*
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1DULL;
    }
    // 1 to max, log-uniform.
    std::size_t length(std::size_t max) {
        const double u = static_cast<double>(next() >> 11) / 9007199254740992.0;
        return static_cast<std::size_t>(std::exp(u * std::log(static_cast<double>(max))));
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: zero_run_sample PATH BYTES [SEED]\n", stderr);
        return 2;
    }
    const std::size_t size = std::strtoull(argv[2], nullptr, 10);
    Random rng{argc > 3 ? std::strtoull(argv[3], nullptr, 10) | 1 : 0x9E3779B97F4A7C15ULL};
    std::vector<unsigned char> data;
    data.reserve(size);
    while (data.size() < size) {
        for (std::size_t n = rng.length(2048); n > 0 && data.size() < size; --n)
            data.push_back(static_cast<unsigned char>(1 + rng.next() % 255));
        for (std::size_t n = rng.length(4096); n > 0 && data.size() < size; --n) data.push_back(0);
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(data.data(), 1, data.size(), out) != data.size() || std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
