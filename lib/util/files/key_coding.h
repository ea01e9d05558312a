// The keyed codings over block streams: the cyclic XOR and the rotating
// coding, and the working key that the rotating coding and the extended
// pipeline use. The key position runs on from block to block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "block_stream.h"

namespace versos::keycoding {

struct Key {
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
};
Key caller_key(const char* key);

// The finaliser of splitmix64, the mixing step of the key expansion.
std::uint64_t mix(std::uint64_t z);

// Writes the working key of `key` (L bytes) into `buffer`, which holds
// 14 * L bytes: 14 * L - 1 bytes from 1 to 255 and a NUL. Returns its
// length; 0, with the buffer untouched, for an empty key or one too long for
// the length to fit an int. The routine behind expandeclave_.
int expand_key(Key key, char* buffer);

// The working key of a caller's key in its buffer of 14 * L bytes; empty
// when the key is empty or the buffer can't be had.
class WorkingKey {
public:
    explicit WorkingKey(const char* key);
    bool usable() const { return size_ > 0; }
    Key key() const { return {reinterpret_cast<const std::uint8_t*>(buffer_.get()), size_}; }
    const char* text() const { return buffer_.get(); }

private:
    std::unique_ptr<char[]> buffer_;
    std::size_t size_ = 0;
};

// Rotation of the rotating coding for a key byte whose next key byte is next.
int rotation_for(std::uint8_t next);

std::uint8_t rotate_right(std::uint8_t c, int n);
std::uint8_t rotate_left(std::uint8_t c, int n);

// False on a read or write error, or when memory is short.
bool xor_code(Key key, blocks::Source& in, blocks::Sink& out);
bool rotate_code(Key key, bool undo, blocks::Source& in, blocks::Sink& out);

}  // namespace versos::keycoding
