// How much a stdio input stream holds read ahead in its buffer.
#pragma once

#include <cstdio>

namespace versos::console::stdio_input {

// True if the stream's buffer holds bytes not yet read, which its
// descriptor no longer shows; false where the C library does not tell.
bool buffered(std::FILE* stream);

}  // namespace versos::console::stdio_input
