// Block streams: where the file codecs take their bytes from and put them,
// a large block at a time. The codecs see only these interfaces, so the same
// code runs over file descriptors (file_io.h) and over memory (the tests' and
// fuzzers' tests/support/memory_blocks.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>

namespace versos::blocks {

// Large enough that system calls cost little next to the work on the bytes,
// small enough to stay in the processor's second-level cache.
inline constexpr std::size_t kBlockSize = 256 * 1024;

class Source {
public:
    virtual ~Source() = default;
    // Fills buf with up to cap bytes: the count read, 0 at the end, -1 on a
    // read error.
    virtual std::ptrdiff_t read(std::uint8_t* buf, std::size_t cap) = 0;
};

class Sink {
public:
    virtual ~Sink() = default;
    // Writes all n bytes; false on a write error.
    virtual bool write(const std::uint8_t* data, std::size_t n) = 0;
};

// A block buffer, or none when memory is short (the routines then fail).
using Buffer = std::unique_ptr<std::uint8_t[]>;
Buffer make_buffer(std::size_t size);

// Collects small writes into one block before handing them to the sink. A
// write error sticks: later writes are dropped and flush() reports it.
class Output {
public:
    explicit Output(Sink& sink);
    bool usable() const { return buf_ != nullptr; }

    void byte(std::uint8_t b) {
        if (used_ == kBlockSize) spill();
        buf_[used_++] = b;
    }
    void pair(std::uint8_t a, std::uint8_t b) {
        if (kBlockSize - used_ < 2) spill();
        buf_[used_++] = a;
        buf_[used_++] = b;
    }
    void bytes(const std::uint8_t* data, std::size_t n);
    void zeros(std::uint64_t n);
    // Hands what is buffered to the sink; false if any write failed.
    bool flush();

private:
    void spill();

    Sink& sink_;
    Buffer buf_;
    std::size_t used_ = 0;
    bool ok_ = true;
};

// How a walk over the blocks of a source ended.
enum class Walk {
    end,      // every block was seen
    stopped,  // fn asked to stop
    failed,   // a read error, or no buffer could be had
};

// Calls fn(data, size) for each block of the source, in order, until its
// end. fn may change the block in place; one that returns bool stops the
// walk by returning false.
template <class Fn>
Walk walk_blocks(Source& in, Fn&& fn) {
    Buffer buf = make_buffer(kBlockSize);
    if (!buf) return Walk::failed;
    for (;;) {
        const std::ptrdiff_t n = in.read(buf.get(), kBlockSize);
        if (n < 0) return Walk::failed;
        if (n == 0) return Walk::end;
        const auto size = static_cast<std::size_t>(n);
        if constexpr (std::is_same_v<decltype(fn(buf.get(), size)), bool>) {
            if (!fn(buf.get(), size)) return Walk::stopped;
        } else {
            fn(buf.get(), size);
        }
    }
}

// As walk_blocks: true only when the walk reached the end of the source.
template <class Fn>
bool for_each_block(Source& in, Fn&& fn) {
    return walk_blocks(in, std::forward<Fn>(fn)) == Walk::end;
}

// Reads each block of the source, lets code(data, size) change it in place
// and writes it to the sink. False on a read or write error, or when no
// buffer can be had.
template <class Code>
bool transform_blocks(Source& in, Sink& out, Code&& code) {
    return for_each_block(in, [&](std::uint8_t* data, std::size_t n) {
        code(data, n);
        return out.write(data, n);
    });
}

// Copies the source to the sink: false on a read or write error.
bool copy(Source& in, Sink& out);

}  // namespace versos::blocks
