// The extended zero-run decoder (dcomprexebis_) on arbitrary streams.
#include "fuzz/decoder_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return versos::fuzz::decoder_one_input(versos::zeroruns::Format::extended, data, size);
}
