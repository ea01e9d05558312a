// The inner loops of the keyed codings, over whole vector registers: each
// byte against the key byte facing it in a pattern laid out beforehand. The
// bytes are those of the byte-by-byte definitions (key_coding.h); only the
// width of each step differs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace versos::keycoding {

// data[i] ^= key[i] for i < n.
void xor_bytes(std::uint8_t* __restrict data, const std::uint8_t* __restrict key, std::size_t n);

// The rotations take, per byte, the factor 2^s (1 to 128) of a left turn by
// s places; a right turn by r is a left turn by 8 - r.
// Coding: data[i] = turn left (data[i] ^ key[i]) as factor[i] says.
void xor_then_turn(std::uint8_t* __restrict data, const std::uint8_t* __restrict key,
                   const std::uint8_t* __restrict factor, std::size_t n);
// Decoding: data[i] = (turn left data[i] as factor[i] says) ^ key[i].
void turn_then_xor(std::uint8_t* __restrict data, const std::uint8_t* __restrict key,
                   const std::uint8_t* __restrict factor, std::size_t n);

}  // namespace versos::keycoding
