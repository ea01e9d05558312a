// Memory as a block source and sink, for the tests and fuzzers of the file
// codecs: a source hands its bytes out in pieces of any size, so that block
// boundaries fall anywhere.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "lib/util/files/block_stream.h"

namespace versos::testing {

class MemorySource : public blocks::Source {
public:
    MemorySource(const std::uint8_t* data, std::size_t size, std::size_t piece = blocks::kBlockSize)
        : data_(data), size_(size), piece_(piece == 0 ? 1 : piece) {}

    std::ptrdiff_t read(std::uint8_t* buf, std::size_t cap) override {
        const std::size_t n = std::min({cap, piece_, size_ - pos_});
        if (n > 0) std::memcpy(buf, data_ + pos_, n);
        pos_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t piece_;
    std::size_t pos_ = 0;
};

class MemorySink : public blocks::Sink {
public:
    bool write(const std::uint8_t* data, std::size_t n) override {
        bytes.insert(bytes.end(), data, data + n);
        return true;
    }

    std::vector<std::uint8_t> bytes;
};

}  // namespace versos::testing
