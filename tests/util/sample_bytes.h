// Sample data for the codec tests: random bytes between runs of zeros.
#pragma once

#include <cstddef>
#include <random>

#include "tests/support/files.h"

namespace versos::testing {

// Non-zero random bytes and runs of zeros, each stretch 1 to max_stretch
// bytes long, starting with a run when start_with_run.
inline Bytes runs_and_bytes(std::mt19937& rng, std::size_t size, std::size_t max_stretch, bool start_with_run) {
    Bytes out;
    std::uniform_int_distribution<std::size_t> length(1, max_stretch);
    std::uniform_int_distribution<int> byte(1, 255);
    bool zeros = start_with_run;
    while (out.size() < size) {
        const std::size_t n = length(rng);
        for (std::size_t i = 0; i < n && out.size() < size; ++i)
            out.push_back(zeros ? 0 : static_cast<std::uint8_t>(byte(rng)));
        zeros = !zeros;
    }
    return out;
}

}  // namespace versos::testing
