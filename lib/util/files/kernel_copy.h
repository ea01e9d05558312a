// Copies a file with the kernel's own copy (copy_file_range): no byte passes
// through the program, and file systems that share blocks between files copy
// none. Only the stretches of data are copied, so a sparse file's holes stay
// holes (also with pread and pwrite, where the kernel refuses: another file
// system, an old kernel). A device or pipe, and files of /proc and /sys whose
// size says nothing (the kernel copies nothing on its first call), are read
// and written as ever.
#pragma once

#include "file_io.h"

namespace versos::fileio {

// Copies the rest of `in` into `out`: false on a read or write error, noted
// as InFile and OutFile note theirs.
bool copy_contents(InFile& in, OutFile& out);

}  // namespace versos::fileio
