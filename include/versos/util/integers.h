// Integer routines on 64-bit unsigned values (arithmetic wraps modulo 2^64
// unless a routine says otherwise): primes, factorials and counts, powers,
// Fibonacci numbers, decimal parsing, base conversion, the check letter of
// the Spanish identity number, and a test for binary files.
#pragma once

#include <versos/util/export.h>

#include <cstdint>

namespace versos {

// a mod b, the remainder of truncating division (its sign follows a).
// A zero divisor gives a, so that a == (a / b) * b + a % b still holds with
// the quotient 0; resto_(INT_MIN, -1) gives 0.
VERSOS_UTIL_EXPORT int resto_(int a, int b);

// a / b rounded down; a zero divisor gives 0.
VERSOS_UTIL_EXPORT unsigned divisionentera_(unsigned a, unsigned b);

// Smallest prime factor of n (n itself if n is prime); 0 for 0, 1 for 1.
VERSOS_UTIL_EXPORT std::uint64_t primo_(std::uint64_t n);

// Largest m <= n with primo_(m) == m (1 counts); 0 for 0.
VERSOS_UTIL_EXPORT std::uint64_t primoinf_(std::uint64_t n);

// Smallest m >= n with primo_(m) == m (1 counts); 0 for 0. Above the largest
// 64-bit prime the search wraps to 0 and gives 0.
VERSOS_UTIL_EXPORT std::uint64_t primosup_(std::uint64_t n);

// Check letter of the Spanish national identity number n.
VERSOS_UTIL_EXPORT char letradni_(unsigned n);

// n! modulo 2^64, exact up to n = 20; 0 for 0 (not 1).
VERSOS_UTIL_EXPORT std::uint64_t factorial_(std::uint64_t n);

// factorial_(n).
VERSOS_UTIL_EXPORT std::uint64_t permutaciones_(std::uint64_t n);

// n! / (k! (n - k)!) with the 64-bit factorials above, meaningful for
// 0 < k < n <= 20. When the divisor is 0 (k = 0, k >= n, or factorials that
// wrap to 0) the result is 0.
VERSOS_UTIL_EXPORT std::uint64_t combinaciones_(std::uint64_t n, std::uint64_t k);

// n! / (n - k)! with the 64-bit factorials above, meaningful for k < n <= 20.
// When the divisor is 0 (k >= n, or a factorial that wraps to 0) the result
// is 0.
VERSOS_UTIL_EXPORT std::uint64_t variaciones_(std::uint64_t n, std::uint64_t k);

// 10^n modulo 2^64; 1 for n <= 0.
VERSOS_UTIL_EXPORT std::uint64_t exp10_(int n);

// base^n modulo 2^64; 1 for n = 0.
VERSOS_UTIL_EXPORT std::uint64_t exp_(std::uint32_t base, unsigned n);

// a^n in 32-bit two's-complement arithmetic (wrapping); 1 for n <= 0.
VERSOS_UTIL_EXPORT int potencia_(int a, int n);

// The sequence 0, 1, 1, 2, 3, 5, 8, ... modulo 2^64 for n = 1, 2, 3, ...:
// fibonacci_(3) is 1, fibonacci_(7) is 8; 0 for n <= 1.
VERSOS_UTIL_EXPORT std::uint64_t fibonacci_(int n);

// Decimal text to a signed 64-bit value (wrapping); a leading '-' negates.
// Any other character that is not a digit gives -1; the empty text gives 0.
VERSOS_UTIL_EXPORT std::int64_t atoll_(const char* text);

// Decimal text to a 64-bit value (wrapping); any character that is not a
// digit gives 0.
VERSOS_UTIL_EXPORT std::uint64_t atoull_(const char* text);

// Reads `text` as a signed 32-bit number in `source_base` (leading white
// space, a sign, a 0x prefix in base 16, base 0 choosing 8, 10 or 16 from the
// prefix; reading stops at the first character that is not a digit; values
// beyond 32 bits saturate; a base other than 0 and 2-36 reads 0), then writes
// it into `target` in `target_base` with lower-case digits: with a minus sign
// in base 10, as the unsigned 32-bit two's complement in other bases.
// `target` must hold 33 bytes. A target base outside 2-36 writes the empty
// string. Returns `target`.
VERSOS_UTIL_EXPORT char* base2base_(const char* text, char* target, int source_base, int target_base);

// 1 if the file holds a byte below 32 other than tab, line feed, form feed
// and carriage return; 0 if not; -1 if it can't be opened or read.
VERSOS_UTIL_EXPORT int isbinary_(const char* path);

}  // namespace versos
