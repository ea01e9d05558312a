// The two zero-run formats: their encoders and decoders over block streams,
// the run scanner the file routines share, and the size of a run in each
// format.
//
// Both formats are headerless: no magic, length, checksum or trailer. A run
// is a maximal sequence of n >= 1 zero bytes. Every non-zero byte stands for
// itself; every run starts with the marker byte 00 followed by one or more
// count bytes, so 00 never stands for itself and a compressed stream holds a
// 00 exactly when its input held a zero byte (the keyed pipelines rely on it).
//
// Zero-run format (comprexe_, dcomprexe_): a run is cut into pieces of at
// most 256 zeros, the full ones first: floor((n - 1) / 256) pairs 00 FF, then
// one pair 00 (n - 1) mod 256. Each pair 00 c is read on its own as c + 1
// zeros. A run costs 2 * ceil(n / 256) bytes.
//
//     n = 1: 00 00    255: 00 FE    256: 00 FF    257: 00 FF 00 00
//     512: 00 FF 00 FF    513: 00 FF 00 FF 00 00
//
// Extended format (comprexebis_, dcomprexebis_): 00 and then
//   n <= 255: one count byte n - 1;
//   n >= 256: FF for the first 256 zeros, floor((n - 256) / 255) bytes FF for
//             255 zeros each, and a last byte (n - 256) mod 255 (0 to 254)
//             for that many more.
// A count byte FF always means another follows; the last one never is FF.
// A run costs 2 bytes up to 255 zeros and 3 + floor((n - 256) / 255) beyond.
//
//     n = 1: 00 00    255: 00 FE    256: 00 FF 00    257: 00 FF 01
//     510: 00 FF FE    511: 00 FF FF 00    512: 00 FF FF 01
//
// A stream cut short after a marker, or after a count byte FF, ends there:
// the decoders write the zeros of the count bytes they read and nothing for
// a count that is missing.
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
