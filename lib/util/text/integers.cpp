#include "versos/util/integers.h"

#include <array>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace versos {

namespace {

using u64 = std::uint64_t;
// GCC's and Clang's own type, said as such so that -Wpedantic accepts it.
__extension__ typedef unsigned __int128 u128;

u64 mul_mod(u64 a, u64 b, u64 m) { return static_cast<u64>(static_cast<u128>(a) * b % m); }

u64 pow_mod(u64 base, u64 e, u64 m) {
    u64 result = 1;
    base %= m;
    for (; e; e >>= 1) {
        if (e & 1) result = mul_mod(result, base, m);
        base = mul_mod(base, base, m);
    }
    return result;
}

// Miller-Rabin with the first twelve primes as bases, which decides every
// 64-bit odd n exactly. It lets primo_ answer for large primes at once
// instead of dividing up to the square root.
bool is_prime_odd(u64 n) {
    u64 d = n - 1;
    int r = 0;
    while ((d & 1) == 0) {
        d >>= 1;
        ++r;
    }
    for (u64 a : {2u, 3u, 5u, 7u, 11u, 13u, 17u, 19u, 23u, 29u, 31u, 37u}) {
        if (a % n == 0) continue;
        u64 x = pow_mod(a, d, n);
        if (x == 1 || x == n - 1) continue;
        bool composite = true;
        for (int i = 1; i < r && composite; ++i) {
            x = mul_mod(x, x, n);
            if (x == n - 1) composite = false;
        }
        if (composite) return false;
    }
    return true;
}

// The 2-adic order of 66! is 64, so every factorial from 66 on is 0 modulo
// 2^64, and so is every power of ten from 10^64 on.
constexpr u64 kFirstFactorialWrappingToZero = 66;
constexpr int kFirstPowerOfTenWrappingToZero = 64;

u64 power_mod_2_64(u64 base, u64 e) {
    u64 result = 1;
    for (; e; e >>= 1) {
        if (e & 1) result *= base;
        base *= base;
    }
    return result;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Sums the decimal digits of text[0 .. len) from the last, weighting them by
// 1, 10, 100, ... modulo 2^64; false at the first character that is not a
// digit.
bool sum_digits(const char* text, std::size_t len, u64& sum) {
    u64 weight = 1;
    sum = 0;
    for (std::size_t i = len; i-- > 0;) {
        if (!is_digit(text[i])) return false;
        sum += static_cast<u64>(text[i] - '0') * weight;
        weight *= 10;
    }
    return true;
}

// The value of a digit or letter as a digit of any base up to 36, or 36.
int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 36;
}

bool is_blank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// strtol of a runtime whose long has 32 bits.
std::int32_t read_long32(const char* p, int base) {
    if (base != 0 && (base < 2 || base > 36)) return 0;
    while (is_blank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    bool hex_prefix = p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digit_value(p[2]) < 16;
    if (base == 0) base = hex_prefix ? 16 : p[0] == '0' ? 8 : 10;
    if (base == 16 && hex_prefix) p += 2;
    const u64 limit = negative ? u64{1} << 31 : (u64{1} << 31) - 1;
    u64 value = 0;
    for (int d; (d = digit_value(*p)) < base; ++p)
        if (value <= limit) value = value * base + d;  // stops growing once past the limit
    if (value > limit) value = limit;
    return static_cast<std::int32_t>(negative ? 0 - value : value);
}

// _itoa: lower-case digits, a minus sign only in base 10.
void write_int32(std::int32_t value, char* target, int base) {
    if (base < 2 || base > 36) {
        target[0] = '\0';
        return;
    }
    char* p = target;
    std::uint32_t magnitude = static_cast<std::uint32_t>(value);
    if (base == 10 && value < 0) {
        *p++ = '-';
        magnitude = 0u - magnitude;
    }
    char digits[32];
    int n = 0;
    do {
        digits[n++] = "0123456789abcdefghijklmnopqrstuvwxyz"[magnitude % base];
        magnitude /= base;
    } while (magnitude);
    while (n) *p++ = digits[--n];
    *p = '\0';
}

}  // namespace

int resto_(int a, int b) {
    if (b == 0) return a;
    if (b == -1) return 0;  // INT_MIN % -1 traps on x86
    return a % b;
}

unsigned divisionentera_(unsigned a, unsigned b) { return b == 0 ? 0 : a / b; }

u64 primo_(u64 n) {
    if (n <= 1) return n;
    if (n % 2 == 0) return 2;
    // i <= n / i rather than i * i <= n, which wraps for n near 2^64.
    u64 i = 3;
    for (; i <= 1000 && i <= n / i; i += 2)
        if (n % i == 0) return i;
    if (i > n / i || is_prime_odd(n)) return n;
    for (; i <= n / i; i += 2)
        if (n % i == 0) return i;
    return n;
}

u64 primoinf_(u64 n) {
    u64 m = n;
    while (primo_(m) != m) --m;  // ends at 1 at the latest
    return m;
}

u64 primosup_(u64 n) {
    u64 m = n;
    while (primo_(m) != m) ++m;  // ends at 0 at the latest, after wrapping
    return m;
}

char letradni_(unsigned n) { return "TRWAGMYFPDXBNJZSQVHLCKE"[n % 23]; }

u64 factorial_(u64 n) {
    if (n == 0 || n >= kFirstFactorialWrappingToZero) return 0;
    u64 product = 1;
    for (u64 i = 2; i <= n; ++i) product *= i;
    return product;
}

u64 permutaciones_(u64 n) { return factorial_(n); }

u64 combinaciones_(u64 n, u64 k) {
    u64 divisor = factorial_(k) * factorial_(n - k);
    return divisor == 0 ? 0 : factorial_(n) / divisor;
}

u64 variaciones_(u64 n, u64 k) {
    u64 divisor = factorial_(n - k);
    return divisor == 0 ? 0 : factorial_(n) / divisor;
}

u64 exp10_(int n) {
    if (n <= 0) return 1;
    if (n >= kFirstPowerOfTenWrappingToZero) return 0;
    return power_mod_2_64(10, static_cast<u64>(n));
}

u64 exp_(std::uint32_t base, unsigned n) { return power_mod_2_64(base, n); }

int potencia_(int a, int n) {
    if (n <= 0) return 1;
    std::uint32_t result = 1;
    std::uint32_t b = static_cast<std::uint32_t>(a);
    for (unsigned e = static_cast<unsigned>(n); e; e >>= 1) {
        if (e & 1) result *= b;
        b *= b;
    }
    return static_cast<int>(result);
}

u64 fibonacci_(int n) {
    if (n <= 1) return 0;
    // Fast doubling on (F(k), F(k+1)), F(0) = 0, F(1) = 1; fibonacci_(n) is
    // F(n - 1).
    const unsigned target = static_cast<unsigned>(n) - 1;
    u64 a = 0, b = 1;
    for (int bit = 31; bit >= 0; --bit) {
        u64 f2k = a * (2 * b - a);
        u64 f2k1 = a * a + b * b;
        a = f2k;
        b = f2k1;
        if ((target >> bit) & 1) {
            u64 next = a + b;
            a = b;
            b = next;
        }
    }
    return a;
}

std::int64_t atoll_(const char* text) {
    std::size_t len = std::strlen(text);
    bool negative = len > 0 && text[0] == '-';
    u64 sum;
    if (negative ? !sum_digits(text + 1, len - 1, sum) : !sum_digits(text, len, sum)) return -1;
    return static_cast<std::int64_t>(negative ? 0 - sum : sum);
}

u64 atoull_(const char* text) {
    u64 sum;
    return sum_digits(text, std::strlen(text), sum) ? sum : 0;
}

char* base2base_(const char* text, char* target, int source_base, int target_base) {
    write_int32(read_long32(text, source_base), target, target_base);
    return target;
}

int isbinary_(const char* path) {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return -1;
    std::array<unsigned char, 64 * 1024> block;
    int result = 0;
    for (;;) {
        std::size_t got = std::fread(block.data(), 1, block.size(), f);
        for (std::size_t i = 0; i < got && result == 0; ++i) {
            unsigned char c = block[i];
            if (c < 32 && c != 9 && c != 10 && c != 12 && c != 13) result = 1;
        }
        if (result != 0 || got < block.size()) break;
    }
    if (result == 0 && std::ferror(f)) result = -1;
    std::fclose(f);
    return result;
}

}  // namespace versos
