#include "key_coding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "parallel_chunks.h"

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

// The key repeated over a block and a key's length more, so that the bytes
// of a block at any key position face one straight run of it. Empty when
// memory is short.
std::vector<std::uint8_t> key_pattern(Key key) {
    std::vector<std::uint8_t> pattern;
    if (key.size == 0 || key.size > SIZE_MAX - blocks::kBlockSize) return pattern;
    try {
        pattern.resize(key.size + blocks::kBlockSize);
    } catch (const std::exception&) {
        return pattern;
    }
    std::uint8_t* const start = pattern.data();
    std::uint8_t* const end = start + pattern.size();
    std::memcpy(start, key.bytes, key.size);
    for (std::uint8_t* filled = start + key.size; filled < end;) {
        const std::size_t n = std::min(filled - start, end - filled);  // doubles what is there
        std::memcpy(filled, start, n);
        filled += n;
    }
    return pattern;
}

// At most a block of data, from the key position `position`.
void xor_block(std::uint8_t* __restrict data, std::size_t n, const std::vector<std::uint8_t>& pattern,
               std::size_t position) {
    const std::uint8_t* __restrict k = pattern.data() + position;
    for (std::size_t i = 0; i < n; ++i) data[i] ^= k[i];
}

}  // namespace

bool xor_code(Key key, blocks::Source& in, blocks::Sink& out) {
    const std::vector<std::uint8_t> pattern = key_pattern(key);
    if (pattern.empty()) return false;
    std::size_t position = 0;
    return blocks::transform_blocks(in, out, [&](std::uint8_t* data, std::size_t n) {
        xor_block(data, n, pattern, position);
        position = (position + n) % key.size;
    });
}

bool xor_code_chunks(Key key, fileio::InFile& in, fileio::OutFile& out) {
    const std::vector<std::uint8_t> pattern = key_pattern(key);
    if (pattern.empty()) return out.fail_write(ENOMEM);
    return fileio::code_in_chunks(in, out, [&](std::uint8_t* data, std::size_t n, std::uint64_t offset) {
        xor_block(data, n, pattern, static_cast<std::size_t>(offset % key.size));
    });
}

bool rotate_code(Key key, bool undo, blocks::Source& in, blocks::Sink& out) {
    if (key.size == 0) return false;
    std::vector<std::uint8_t> turn;
    try {
        turn.resize(key.size);
    } catch (const std::exception&) {
        return false;
    }
    for (std::size_t p = 0; p < key.size; ++p)
        turn[p] = static_cast<std::uint8_t>(rotation_for(key.bytes[p + 1 == key.size ? 0 : p + 1]));
    std::size_t p = 0;
    return blocks::transform_blocks(in, out, [&](std::uint8_t* data, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            data[i] = undo ? static_cast<std::uint8_t>(rotate_left(data[i], turn[p]) ^ key.bytes[p])
                           : rotate_right(static_cast<std::uint8_t>(data[i] ^ key.bytes[p]), turn[p]);
            if (++p == key.size) p = 0;
        }
    });
}

}  // namespace versos::keycoding
