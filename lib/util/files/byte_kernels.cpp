#include "byte_kernels.h"

#include <cstring>

namespace versos::keycoding {
namespace {

// 32 bytes a step: one AVX2 register where the processor has them (the
// loops are built twice on x86-64 and the better one is chosen at run time),
// else two SSE2 or NEON registers; GCC and Clang lower the operations to what
// the target has. The helpers below are inlined, so no vector ever crosses a
// call, whose convention would differ between the two builds.
#pragma GCC diagnostic ignored "-Wpsabi"
using Bytes = std::uint8_t __attribute__((vector_size(32)));
using Lanes = std::uint16_t __attribute__((vector_size(32)));
constexpr std::size_t kWidth = 32;

// Not under AddressSanitizer, whose run time is not ready when the loader
// chooses between the builds.
#if defined(__SANITIZE_ADDRESS__)
#define VERSOS_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VERSOS_ADDRESS_SANITIZER 1
#endif
#endif
// On ELF the loader chooses (target_clones, an ifunc); Windows executables
// have no ifunc, so there the first call asks the processor and keeps the
// answer.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(VERSOS_ADDRESS_SANITIZER)
#if defined(__ELF__)
#define VERSOS_WIDE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VERSOS_CHOOSE_AT_FIRST_CALL 1
#endif
#endif
#if !defined(VERSOS_WIDE_CLONES)
#define VERSOS_WIDE_CLONES
#endif

template <class V>
[[gnu::always_inline]] inline V load(const std::uint8_t* p) {
    V v;
    std::memcpy(&v, p, kWidth);
    return v;
}

template <class V>
[[gnu::always_inline]] inline void store(std::uint8_t* p, const V& v) {
    std::memcpy(p, &v, kWidth);
}

// A left turn as a multiplication: in 16 bits, x * 2^s holds x << s in its
// low byte and x >> (8 - s) in its high byte, and the two OR-ed together are
// x turned by s. Each 16-bit lane holds two bytes of data and, loaded the
// same way, their two factors, so the pairing holds whatever the byte order.
[[gnu::always_inline]] inline Lanes turn(const Lanes& v, const Lanes& factor) {
    const Lanes low = (v & 0xFF) * (factor & 0xFF);
    const Lanes high = (v >> 8) * (factor >> 8);
    return ((low | (low >> 8)) & 0xFF) | (high << 8) | (high & 0xFF00);
}

std::uint8_t turn_byte(unsigned x, unsigned factor) {
    const unsigned product = x * factor;
    return static_cast<std::uint8_t>(product | (product >> 8));
}

// The loops themselves, inlined into each build of them below.
[[gnu::always_inline]] inline void xor_bytes_loop(std::uint8_t* __restrict data, const std::uint8_t* __restrict key,
                                                  std::size_t n) {
    std::size_t i = 0;
    for (; n - i >= kWidth; i += kWidth) store(data + i, load<Bytes>(data + i) ^ load<Bytes>(key + i));
    for (; i < n; ++i) data[i] ^= key[i];
}

[[gnu::always_inline]] inline void xor_then_turn_loop(std::uint8_t* __restrict data,
                                                      const std::uint8_t* __restrict key,
                                                      const std::uint8_t* __restrict factor, std::size_t n) {
    std::size_t i = 0;
    for (; n - i >= kWidth; i += kWidth)
        store(data + i, turn(load<Lanes>(data + i) ^ load<Lanes>(key + i), load<Lanes>(factor + i)));
    for (; i < n; ++i) data[i] = turn_byte(data[i] ^ key[i], factor[i]);
}

[[gnu::always_inline]] inline void turn_then_xor_loop(std::uint8_t* __restrict data,
                                                      const std::uint8_t* __restrict key,
                                                      const std::uint8_t* __restrict factor, std::size_t n) {
    std::size_t i = 0;
    for (; n - i >= kWidth; i += kWidth)
        store(data + i, turn(load<Lanes>(data + i), load<Lanes>(factor + i)) ^ load<Lanes>(key + i));
    for (; i < n; ++i) data[i] = static_cast<std::uint8_t>(turn_byte(data[i], factor[i]) ^ key[i]);
}

// Local to this file: a function built for several processors gets a
// dispatcher, which a shared library would export if the function were not
// local, whatever the library's default visibility.
VERSOS_WIDE_CLONES
void xor_bytes_wide(std::uint8_t* __restrict data, const std::uint8_t* __restrict key, std::size_t n) {
    xor_bytes_loop(data, key, n);
}

VERSOS_WIDE_CLONES
void xor_then_turn_wide(std::uint8_t* __restrict data, const std::uint8_t* __restrict key,
                        const std::uint8_t* __restrict factor, std::size_t n) {
    xor_then_turn_loop(data, key, factor, n);
}

VERSOS_WIDE_CLONES
void turn_then_xor_wide(std::uint8_t* __restrict data, const std::uint8_t* __restrict key,
                        const std::uint8_t* __restrict factor, std::size_t n) {
    turn_then_xor_loop(data, key, factor, n);
}

#if defined(VERSOS_CHOOSE_AT_FIRST_CALL)
[[gnu::target("avx2")]] void xor_bytes_avx2(std::uint8_t* __restrict data, const std::uint8_t* __restrict key,
                                            std::size_t n) {
    xor_bytes_loop(data, key, n);
}

[[gnu::target("avx2")]] void xor_then_turn_avx2(std::uint8_t* __restrict data, const std::uint8_t* __restrict key,
                                                const std::uint8_t* __restrict factor, std::size_t n) {
    xor_then_turn_loop(data, key, factor, n);
}

[[gnu::target("avx2")]] void turn_then_xor_avx2(std::uint8_t* __restrict data, const std::uint8_t* __restrict key,
                                                const std::uint8_t* __restrict factor, std::size_t n) {
    turn_then_xor_loop(data, key, factor, n);
}

bool has_avx2() {
    static const bool yes = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return yes;
}
#endif

}  // namespace

void xor_bytes(std::uint8_t* __restrict data, const std::uint8_t* __restrict key, std::size_t n) {
#if defined(VERSOS_CHOOSE_AT_FIRST_CALL)
    if (has_avx2()) return xor_bytes_avx2(data, key, n);
#endif
    xor_bytes_wide(data, key, n);
}

void xor_then_turn(std::uint8_t* __restrict data, const std::uint8_t* __restrict key,
                   const std::uint8_t* __restrict factor, std::size_t n) {
#if defined(VERSOS_CHOOSE_AT_FIRST_CALL)
    if (has_avx2()) return xor_then_turn_avx2(data, key, factor, n);
#endif
    xor_then_turn_wide(data, key, factor, n);
}

void turn_then_xor(std::uint8_t* __restrict data, const std::uint8_t* __restrict key,
                   const std::uint8_t* __restrict factor, std::size_t n) {
#if defined(VERSOS_CHOOSE_AT_FIRST_CALL)
    if (has_avx2()) return turn_then_xor_avx2(data, key, factor, n);
#endif
    turn_then_xor_wide(data, key, factor, n);
}

}  // namespace versos::keycoding
