// Codes a large regular file on two threads. Each takes the next chunk by
// offset, reads it with pread, codes it and writes it with pwrite at the same
// offset. Only for codings in which an output byte depends on nothing but the
// input byte and its offset (the cyclic XOR): the chunks are then
// independent. On a file system in memory, copying into and out of the
// kernel is nearly all the work, and a second thread halves it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "file_io.h"

namespace versos::fileio {

// Codes `size` bytes in place; `offset` is where they stand in the file.
using ChunkCode = std::function<void(std::uint8_t* data, std::size_t size, std::uint64_t offset)>;

// Whether code_in_chunks applies: a regular source large enough for a
// second thread to pay for itself, and a target written beside its place.
bool worth_chunking(const InFile& in, const OutFile& out);

// Writes the whole coded source into the target (empty, or emptied first). A source that
// shrinks meanwhile ends the target where its first short read did. False on
// a read or write error, noted as the sequential routines note theirs.
bool code_in_chunks(InFile& in, OutFile& out, const ChunkCode& code);

}  // namespace versos::fileio
