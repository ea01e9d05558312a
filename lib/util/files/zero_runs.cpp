#include "zero_runs.h"

namespace versos::zeroruns {
namespace {

std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// Index of the first non-zero byte of a non-zero word read from memory.
std::size_t first_set_byte(std::uint64_t w) {
    if constexpr (std::endian::native == std::endian::little)
        return static_cast<std::size_t>(std::countr_zero(w)) / 8;
    else
        return static_cast<std::size_t>(std::countl_zero(w)) / 8;
}

class Encoder {
public:
    Encoder(Format format, blocks::Output& out) : format_(format), out_(out) {}
    void literals(const std::uint8_t* p, std::size_t n) { out_.bytes(p, n); }
    void run(std::uint64_t n) { write_run(format_, n, out_); }

private:
    Format format_;
    blocks::Output& out_;
};

// Where a decoder stands between two bytes of the stream.
enum class Expect { literal, first_count, more_count };

class Decoder {
public:
    Decoder(Format format, blocks::Output& out) : format_(format), out_(out) {}

    void feed(const std::uint8_t* p, std::size_t n) {
        const std::uint8_t* const end = p + n;
        while (p < end) {
            if (expect_ == Expect::literal) {
                const void* zero = std::memchr(p, 0, static_cast<std::size_t>(end - p));
                const std::uint8_t* stop = zero ? static_cast<const std::uint8_t*>(zero) : end;
                out_.bytes(p, static_cast<std::size_t>(stop - p));
                p = stop;
                if (p < end) {
                    expect_ = Expect::first_count;
                    ++p;
                }
                continue;
            }
            const std::uint8_t count = *p++;
            if (expect_ == Expect::first_count)
                out_.zeros(std::uint64_t{count} + 1);
            else
                out_.zeros(count);
            expect_ = format_ == Format::extended && count == 0xFF ? Expect::more_count : Expect::literal;
        }
    }

private:
    Format format_;
    blocks::Output& out_;
    Expect expect_ = Expect::literal;
};

}  // namespace

std::size_t leading_zeros(const std::uint8_t* p, std::size_t n) {
    std::size_t i = 0;
    while (n - i >= 32 && (load64(p + i) | load64(p + i + 8) | load64(p + i + 16) | load64(p + i + 24)) == 0) i += 32;
    for (; n - i >= 8; i += 8) {
        const std::uint64_t w = load64(p + i);
        if (w != 0) return i + first_set_byte(w);
    }
    while (i < n && p[i] == 0) ++i;
    return i;
}

std::uint64_t run_cost(Format format, std::uint64_t n) {
    if (format == Format::plain) return 2 * ((n + 255) / 256);
    return n <= 255 ? 2 : 3 + (n - 256) / 255;
}

std::int64_t run_saving(Format format, std::uint64_t n) {
    if (format == Format::extended) return static_cast<std::int64_t>(n - run_cost(format, n));
    // Two below the bytes really saved when n is a multiple of 256: an
    // estimate kept as callers have always had it.
    return static_cast<std::int64_t>(n / 256 * 254 + n % 256) - 2;
}

void write_run(Format format, std::uint64_t n, blocks::Output& out) {
    if (format == Format::plain) {
        for (; n > 256; n -= 256) out.pair(0x00, 0xFF);
        out.pair(0x00, static_cast<std::uint8_t>(n - 1));
        return;
    }
    if (n <= 255) {
        out.pair(0x00, static_cast<std::uint8_t>(n - 1));
        return;
    }
    out.pair(0x00, 0xFF);
    for (n -= 256; n >= 255; n -= 255) out.byte(0xFF);
    out.byte(static_cast<std::uint8_t>(n));
}

bool encode(Format format, blocks::Source& in, blocks::Sink& sink) {
    blocks::Output out(sink);
    if (!out.usable()) return false;
    Encoder encoder(format, out);
    RunScanner scanner;
    const bool read =
        blocks::for_each_block(in, [&](const std::uint8_t* p, std::size_t n) { scanner.scan(p, n, encoder); });
    scanner.finish(encoder);  // what was read is written, even after a read error
    return out.flush() && read;
}

bool decode(Format format, blocks::Source& in, blocks::Sink& sink) {
    blocks::Output out(sink);
    if (!out.usable()) return false;
    Decoder decoder(format, out);
    const bool read = blocks::for_each_block(in, [&](const std::uint8_t* p, std::size_t n) { decoder.feed(p, n); });
    return out.flush() && read;
}

}  // namespace versos::zeroruns
