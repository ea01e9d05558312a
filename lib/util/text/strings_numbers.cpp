// Numbers in text: decimal addition of digit strings, byte to decimal,
// hexadecimal and octal values; and the small floating-point helpers.
#include <versos/util/strings.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace versos {

namespace {

void pad_with_zeros(char* digits, std::size_t len, std::size_t wanted) {
    if (len >= wanted) return;
    const std::size_t pad = wanted - len;
    std::memmove(digits + pad, digits, len + 1);
    std::memset(digits, '0', pad);
}

void non_digits_to_zero(char* text) {
    for (; *text; ++text)
        if (*text < '0' || *text > '9') *text = '0';
}

}  // namespace

void sumastr_(char* result, char* a, char* b) {
    const std::size_t len_a = std::strlen(a);
    const std::size_t len_b = std::strlen(b);
    const std::size_t len = len_a > len_b ? len_a : len_b;
    pad_with_zeros(a, len_a, len);
    pad_with_zeros(b, len_b, len);
    non_digits_to_zero(a);
    non_digits_to_zero(b);

    // Digits go to result[1..len], leaving result[0] for a final carry; each
    // place is written only after a and b were read there, so result may be
    // a or b.
    int carry = 0;
    for (std::size_t i = len; i-- > 0;) {
        const int sum = (a[i] - '0') + (b[i] - '0') + carry;
        result[i + 1] = static_cast<char>('0' + sum % 10);
        carry = sum / 10;
    }
    if (carry) {
        result[0] = '1';
        result[len + 1] = '\0';
    } else {
        std::memmove(result, result + 1, len);
        result[len] = '\0';
    }
}

void uchar2str_(unsigned char value, char* target) {
    std::size_t n = 0;
    do {
        target[n++] = static_cast<char>('0' + value % 10);
        value = static_cast<unsigned char>(value / 10);
    } while (value != 0);
    target[n] = '\0';
    revstr_(target);
}

namespace {

// Value of the digits in the given base, with the place values computed in
// 32-bit arithmetic as the stored results expect: the sum is taken modulo
// 2^32 and read as a signed 32-bit number. Any character that is not a digit
// of the base (upper or lower case) gives 0.
std::int64_t digits_value(const char* text, unsigned base) {
    std::uint32_t value = 0;
    std::uint32_t place = 1;
    for (std::size_t i = std::strlen(text); i-- > 0;) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else
            return 0;
        if (digit >= base) return 0;
        value += digit * place;
        place *= base;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::int64_t hex2dec_(const char* text) { return digits_value(text, 16); }
std::int64_t oct2dec_(const char* text) { return digits_value(text, 8); }

double raiz_(double x) {
    if (std::isnan(x) || x < 0) return std::numeric_limits<double>::quiet_NaN();
    if (x == 0) return 0;
    if (std::isinf(x)) return x;
    double r = x;
    double before = std::numeric_limits<double>::quiet_NaN();
    // Newton's step for r*r = x. In floating point it ends on a fixed point
    // or on two neighbours taken in turn; the cap is only a last guard.
    for (int step = 0; step < 100000; ++step) {
        const double next = (r + x / r) / 2;
        if (next == r) return r;
        if (next == before) return next < r ? next : r;
        before = r;
        r = next;
    }
    return r;
}

}  // namespace versos
