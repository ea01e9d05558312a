// What the fuzz targets share: a check that stops the run on a mismatch, and
// the reference codecs the library's block codecs must agree with.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "tests/util/zero_run_reference.h"

#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)
