// Fuzzes a zero-run decoder on memory: any stream, cut into pieces at any
// size, decodes as the byte-by-byte algorithm does, without reading past its
// end; encoding the result gives the byte-by-byte encoder's stream, which
// decodes back to it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "lib/util/files/zero_runs.h"
#include "tests/support/memory_blocks.h"

namespace versos::fuzz {

inline int decoder_one_input(zeroruns::Format format, const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] * std::size_t{17};  // where the block boundaries fall
    const reference::Bytes in(data + 1, data + size);
    const bool extended = format == zeroruns::Format::extended;

    testing::MemorySource source(in.data(), in.size(), piece);
    testing::MemorySink decoded;
    FUZZ_CHECK(zeroruns::decode(format, source, decoded));
    FUZZ_CHECK(decoded.bytes == reference::decode(in, extended));

    testing::MemorySource again(decoded.bytes.data(), decoded.bytes.size(), piece);
    testing::MemorySink encoded;
    FUZZ_CHECK(zeroruns::encode(format, again, encoded));
    FUZZ_CHECK(encoded.bytes ==
               (extended ? reference::encode_extended(decoded.bytes) : reference::encode_plain(decoded.bytes)));

    testing::MemorySource back(encoded.bytes.data(), encoded.bytes.size(), piece);
    testing::MemorySink restored;
    FUZZ_CHECK(zeroruns::decode(format, back, restored));
    FUZZ_CHECK(restored.bytes == decoded.bytes);
    return 0;
}

}  // namespace versos::fuzz
