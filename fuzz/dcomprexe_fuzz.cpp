// The zero-run decoder (dcomprexe_) on arbitrary streams.
#include "fuzz/decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return versos::fuzz::decoder_one_input(versos::zeroruns::Format::plain, data, size);
}
