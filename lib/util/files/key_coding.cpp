#include "key_coding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "byte_kernels.h"

namespace versos::keycoding {

std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

Key caller_key(const char* key) {
    return {reinterpret_cast<const std::uint8_t*>(key), key == nullptr ? 0 : std::strlen(key)};
}

// The key expansion of doc/keyed-coding.md. Changing any of it makes files
// coded before undecodable.
int expand_key(Key k, char* buffer) {
    if (k.size == 0 || k.size > (static_cast<std::size_t>(INT32_MAX) + 1) / 14) return 0;
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (std::size_t i = 0; i < k.size; ++i) h = (h ^ k.bytes[i]) * 0x100000001b3ULL;
    const std::size_t width = 14 * k.size - 1;
    for (std::size_t i = 0, j = 0; i < width; ++i) {
        h += 0x9e3779b97f4a7c15ULL + k.bytes[j];
        if (++j == k.size) j = 0;
        buffer[i] = static_cast<char>(1 + mix(h) % 255);
    }
    buffer[width] = '\0';
    return static_cast<int>(width);
}

WorkingKey::WorkingKey(const char* key) {
    const Key k = caller_key(key);
    if (k.size == 0 || k.size > (static_cast<std::size_t>(INT32_MAX) + 1) / 14) return;
    buffer_.reset(new (std::nothrow) char[14 * k.size]);
    if (buffer_) size_ = static_cast<std::size_t>(expand_key(k, buffer_.get()));
}

int rotation_for(std::uint8_t next) {
    if (next % 13 == 0) return 7;
    if (next % 11 == 0) return 6;
    if (next % 7 == 0) return 5;
    if (next % 5 == 0) return 4;
    if (next % 3 == 0) return 3;
    if (next % 2 == 0) return 2;
    return 1;
}

std::uint8_t rotate_right(std::uint8_t c, int n) {
    if (n <= 0) return c;
    n %= 8;
    return static_cast<std::uint8_t>((c >> n) | (c << ((8 - n) % 8)));
}

std::uint8_t rotate_left(std::uint8_t c, int n) {
    if (n <= 0) return c;
    n %= 8;
    return static_cast<std::uint8_t>((c << n) | (c >> ((8 - n) % 8)));
}

namespace {

// Fills out[0, length) with `period` repeated from its start; `period` may
// be out itself, its first `size` bytes already in place.
void repeat(const std::uint8_t* period, std::size_t size, std::uint8_t* out, std::size_t length) {
    const std::size_t first = std::min(size, length);
    if (period != out) std::memcpy(out, period, first);
    for (std::size_t filled = first; filled < length;) {
        const std::size_t n = std::min(filled, length - filled);  // doubles what is there
        std::memcpy(out + filled, out, n);
        filled += n;
    }
}

// Room for `count` patterns of `length` bytes each, or none when memory is
// short (or the size would overflow).
std::vector<std::uint8_t> patterns(std::size_t count, std::size_t period, std::size_t piece) {
    std::vector<std::uint8_t> room;
    if (period == 0 || period > (SIZE_MAX / count) - piece) return room;
    try {
        room.resize(count * (period + piece));
    } catch (const std::exception&) {
        room.clear();
    }
    return room;
}

// Calls code(data, size, position) for pieces of at most `piece` bytes of
// each block, with the key position of the piece's first byte; the position
// runs on from block to block.
template <class Code>
bool code_pieces(std::size_t period, std::size_t piece, blocks::Source& in, blocks::Sink& out, Code&& code) {
    std::size_t position = 0;
    return blocks::transform_blocks(in, out, [&](std::uint8_t* data, std::size_t n) {
        for (std::size_t done = 0; done < n;) {
            const std::size_t size = std::min(piece, n - done);
            code(data + done, size, position);
            done += size;
            position = (position + size) % period;
        }
    });
}

// The codings take a block in pieces, each facing one straight run of the
// key's pattern: pieces small enough that the patterns stay in the first
// level cache, beside the block in the second.
constexpr std::size_t kPiece = 16 * 1024;

}  // namespace

bool xor_code(Key key, blocks::Source& in, blocks::Sink& out) {
    // The key repeated over a piece and a key's length more, so that a piece
    // at any key position faces one straight run of it.
    std::vector<std::uint8_t> pattern = patterns(1, key.size, kPiece);
    if (pattern.empty()) return false;
    repeat(key.bytes, key.size, pattern.data(), pattern.size());
    return code_pieces(key.size, kPiece, in, out, [&](std::uint8_t* data, std::size_t n, std::size_t position) {
        xor_bytes(data, pattern.data() + position, n);
    });
}

bool rotate_code(Key key, bool undo, blocks::Source& in, blocks::Sink& out) {
    // The key bytes and the factors of their turns, each laid out as xor_code
    // lays out the key: the rotation pattern repeats with the key.
    const std::size_t length = key.size + kPiece;
    std::vector<std::uint8_t> room = patterns(2, key.size, kPiece);
    if (room.empty()) return false;
    std::uint8_t* const bytes = room.data();
    std::uint8_t* const factor = bytes + length;
    repeat(key.bytes, key.size, bytes, length);
    for (std::size_t p = 0; p < key.size; ++p) {
        const int r = rotation_for(key.bytes[p + 1 == key.size ? 0 : p + 1]);
        const int left = undo ? r : 8 - r;  // coding turns right by r
        factor[p] = static_cast<std::uint8_t>(1u << (left % 8));
    }
    repeat(factor, key.size, factor, length);
    return code_pieces(key.size, kPiece, in, out, [&](std::uint8_t* data, std::size_t n, std::size_t p) {
        if (undo)
            turn_then_xor(data, bytes + p, factor + p, n);
        else
            xor_then_turn(data, bytes + p, factor + p, n);
    });
}

}  // namespace versos::keycoding
