#include "block_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace versos::blocks {

Buffer make_buffer(std::size_t size) { return Buffer(new (std::nothrow) std::uint8_t[size]); }

Output::Output(Sink& sink) : sink_(sink), buf_(make_buffer(kBlockSize)) { ok_ = buf_ != nullptr; }

void Output::spill() {
    if (ok_ && used_ > 0) ok_ = sink_.write(buf_.get(), used_);
    used_ = 0;
}

void Output::bytes(const std::uint8_t* data, std::size_t n) {
    if (used_ == 0 && n >= kBlockSize) {  // a whole block or more: no need to copy it first
        if (ok_) ok_ = sink_.write(data, n);
        return;
    }
    while (n > 0) {
        if (used_ == kBlockSize) spill();
        const std::size_t take = std::min(n, kBlockSize - used_);
        std::memcpy(buf_.get() + used_, data, take);
        used_ += take;
        data += take;
        n -= take;
    }
}

void Output::zeros(std::uint64_t n) {
    while (n > 0) {
        if (used_ == kBlockSize) spill();
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(n, kBlockSize - used_));
        std::memset(buf_.get() + used_, 0, take);
        used_ += take;
        n -= take;
    }
}

bool Output::flush() {
    if (!buf_) return false;
    spill();
    return ok_;
}

bool copy(Source& in, Sink& out) {
    return transform_blocks(in, out, [](std::uint8_t*, std::size_t) {});
}

}  // namespace versos::blocks
