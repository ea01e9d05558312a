// What the descriptor routines build on read_some alone, the same on every
// system (read_some itself: posix_io.cpp, posix_io_windows.cpp).
#include "posix_io.h"

namespace versos::posix_io {

std::ptrdiff_t read_full(int fd, void* buf, std::size_t size) {
    auto* p = static_cast<char*>(buf);
    std::size_t got = 0;
    while (got < size) {
        const std::ptrdiff_t n = read_some(fd, p + got, size - got);
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<std::ptrdiff_t>(got);
}

}  // namespace versos::posix_io
