// copy_contents on Windows: read and written a block at a time. (CopyFileW
// works on names, and the routines hold open files.)
#include "kernel_copy.h"

namespace versos::fileio {

bool copy_contents(InFile& in, OutFile& out) { return blocks::copy(in, out); }

}  // namespace versos::fileio
