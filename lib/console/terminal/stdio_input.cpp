#include "lib/console/terminal/stdio_input.h"

namespace versos::console::stdio_input {

#ifdef __GLIBC__
bool buffered(std::FILE* stream) { return stream->_IO_read_ptr < stream->_IO_read_end; }
#else
bool buffered(std::FILE*) { return false; }
#endif

}  // namespace versos::console::stdio_input
