#include "lib/console/terminal/stdio_input.h"

namespace versos::console::stdio_input {

#ifdef __GLIBC__
bool buffered(std::FILE* stream) { return stream->_IO_read_ptr < stream->_IO_read_end; }
ReadMark read_mark(std::FILE* stream) {
    return ReadMark{stream->_IO_read_base, stream->_IO_read_ptr, stream->_IO_read_end};
}
#else
bool buffered(std::FILE*) { return false; }
ReadMark read_mark(std::FILE*) { return ReadMark{}; }
#endif

}  // namespace versos::console::stdio_input
