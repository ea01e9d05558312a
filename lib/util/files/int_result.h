// The library's file routines answer with ints, never with exceptions: the
// few things on their paths that can throw (a path's copy when memory is
// short) are turned into a failed result here, at the routine's edge, once
// the routine's own objects have dropped what they had begun.
#pragma once

#include <cerrno>

#include "file_io.h"

namespace versos::fileio {

template <class Routine>
int int_result(int failed, const char* path, Routine&& routine) noexcept {
    try {
        return routine();
    } catch (...) {
        note_failure("cannot work on %s", path, ENOMEM);
        return failed;
    }
}

}  // namespace versos::fileio
