#include "core/random.h"

#include <cstdint>

namespace versos {
namespace {

// One generator a thread, as the runtime keeps one a thread.
thread_local std::uint32_t state = 1;  // starts as if seeded with 1
thread_local DrawSource scripted = nullptr;

}  // namespace

void srand(unsigned int seed) { state = seed; }

int rand() {
    if (scripted != nullptr) return scripted();
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

DrawSource set_draw_source(DrawSource source) {
    const DrawSource previous = scripted;
    scripted = source;
    return previous;
}

}  // namespace versos
