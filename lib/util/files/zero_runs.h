// The two zero-run formats (doc/zero-run-formats.md): their encoders and
// decoders over block streams, the run scanner the file routines share, and
// the size of a run in each format.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "block_stream.h"

namespace versos::zeroruns {

enum class Format { plain, extended };

// How many zero bytes p starts with (of its n bytes).
std::size_t leading_zeros(const std::uint8_t* p, std::size_t n);

// Splits a stream, block after block, into stretches of non-zero bytes and
// maximal runs of zeros; a run that reaches the end of a block goes on into
// the next.
class RunScanner {
public:
    // Calls v.literals(data, size) for each stretch of non-zero bytes and
    // v.run(length) for each run that ends inside this block.
    template <class Visitor>
    void scan(const std::uint8_t* p, std::size_t n, Visitor& v) {
        const std::uint8_t* const end = p + n;
        while (p < end) {
            if (pending_ == 0) {
                const void* zero = std::memchr(p, 0, static_cast<std::size_t>(end - p));
                const std::uint8_t* stop = zero ? static_cast<const std::uint8_t*>(zero) : end;
                if (stop > p) v.literals(p, static_cast<std::size_t>(stop - p));
                p = stop;
                if (p == end) break;
            }
            const std::size_t zeros = leading_zeros(p, static_cast<std::size_t>(end - p));
            pending_ += zeros;
            p += zeros;
            if (p < end) {
                v.run(pending_);
                pending_ = 0;
            }
        }
    }
    // At the end of the stream: the run still open, if any, ends there.
    template <class Visitor>
    void finish(Visitor& v) {
        if (pending_ > 0) v.run(pending_);
        pending_ = 0;
    }

private:
    std::uint64_t pending_ = 0;
};

// Bytes that a run of n >= 1 zeros takes in the format.
std::uint64_t run_cost(Format format, std::uint64_t n);
// What the saving estimate adds for a run of n >= 1 zeros.
std::int64_t run_saving(Format format, std::uint64_t n);
// Writes the bytes of a run of n >= 1 zeros.
void write_run(Format format, std::uint64_t n, blocks::Output& out);

// False on a read or write error.
bool encode(Format format, blocks::Source& in, blocks::Sink& out);
bool decode(Format format, blocks::Source& in, blocks::Sink& out);

}  // namespace versos::zeroruns
