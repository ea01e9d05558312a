#include "lib/console/terminal/stdio_watch.h"

#include <stdio.h>
#include <stdio_ext.h>

namespace versos::console::stdio_watch {
namespace {

#ifdef __GLIBC__
// A stream that writes out its buffer starts filling it again from the first
// byte: a mark left there after each flush is overwritten by the next text,
// however soon a line's end sends it on. 0xFF never starts UTF-8 text.
constexpr unsigned char kMark = 0xFF;
unsigned char* watched = nullptr;
bool marked = false;

bool buffer_used() {
    auto* base = reinterpret_cast<unsigned char*>(stdout->_IO_buf_base);
    if (base != watched) return base != nullptr;  // made (or made again) by a write
    return marked && base[0] != kMark;
}

void mark_buffer() {
    watched = reinterpret_cast<unsigned char*>(stdout->_IO_buf_base);
    // Only an empty buffer: the mark must never stand in for text.
    marked = watched && __fpending(stdout) == 0 && stdout->_IO_buf_end - stdout->_IO_buf_base > 1;
    if (marked) watched[0] = kMark;
}
#else
bool buffer_used() { return false; }
void mark_buffer() {}
#endif

}  // namespace

bool flush_and_check() {
    const bool wrote = __fpending(stdout) > 0 || buffer_used();
    fflush(stdout);
    mark_buffer();
    return wrote;
}

}  // namespace versos::console::stdio_watch
