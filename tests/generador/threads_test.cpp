// Four threads making fragments at once give what one thread gives alone.
#include <gtest/gtest.h>

#include <cstdint>
#include <latch>
#include <string>
#include <thread>
#include <vector>
#include <versos/generador.h>

namespace {

constexpr int kThreads = 4;
constexpr int kFragments = 100'000;

struct Reference {
    std::vector<char> modes;
    std::vector<int> seeds;
    std::vector<std::string> bytes, utf8;
};

// Every mode, seeds spread over the whole int range, made on this thread
// alone.
Reference make_reference() {
    Reference r;
    std::uint32_t x = 12345;
    for (int i = 0; i < kFragments; ++i) {
        x = x * 1664525u + 1013904223u;
        r.modes.push_back(versos::modos[i % (sizeof versos::modos - 1)]);
        r.seeds.push_back(static_cast<int>(x));
        r.bytes.push_back(*versos::fragmento(r.modes.back(), r.seeds.back()));
        r.utf8.push_back(*versos::fragmento_utf8(r.modes.back(), r.seeds.back()));
    }
    return r;
}

TEST(GeneradorThreads, FourThreadsAtOnceGiveTheSingleThreadedFragments) {
    const Reference ref = make_reference();
    std::latch start(kThreads);
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            std::string out;
            start.arrive_and_wait();  // all four draw at the same time
            // Each thread its own order and half of them in UTF-8, so that
            // at any moment the threads are in different modes and seeds.
            for (int k = 0; k < kFragments; ++k) {
                const int i = (k + t * (kFragments / kThreads)) % kFragments;
                const bool utf8 = t % 2 == 1;
                const bool known = utf8 ? versos::fragmento_utf8(ref.modes[i], ref.seeds[i], out)
                                        : versos::fragmento(ref.modes[i], ref.seeds[i], out);
                if (!known || out != (utf8 ? ref.utf8[i] : ref.bytes[i])) ++mismatches[t];
            }
        });
    }
    for (std::thread& t : threads) t.join();
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
