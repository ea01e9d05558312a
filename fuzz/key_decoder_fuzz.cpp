// The terminal key decoder on arbitrary byte streams: no call gives more
// than kMaxOut bytes (the buffers are exactly that big, so the sanitizer
// sees any overrun), and after the time-out the decoder is idle again,
// decoding a plain letter as itself.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "lib/console/terminal/key_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using versos::console::KeyDecoder;
    KeyDecoder decoder;
    for (std::size_t i = 0; i < size; ++i) {
        unsigned char out[KeyDecoder::kMaxOut];
        int count = decoder.feed(data[i], out);
        FUZZ_CHECK(count >= 0 && count <= KeyDecoder::kMaxOut);
    }
    unsigned char out[KeyDecoder::kMaxOut];
    int count = decoder.expire(out);
    FUZZ_CHECK(count >= 0 && count <= KeyDecoder::kMaxOut);
    FUZZ_CHECK(!decoder.pending());
    FUZZ_CHECK(decoder.feed('a', out) == 1 && out[0] == 'a' && !decoder.pending());
    return 0;
}
