#include "core/random.h"

#include <cstdint>

namespace versos {
namespace {

std::uint32_t state = 1;  // the runtime's generator starts as if seeded with 1
DrawSource scripted = nullptr;

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
