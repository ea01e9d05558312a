// The word-table record and the single-word pick.
//
// A word table is N rows of W bytes of Windows-1252 text, each row one entry
// padded with NULs, W being the longest entry plus one. The tables are
// generated at build time from the .words files beside each family.
#pragma once

#include <cstring>

#include "core/buffers.h"
#include "core/random.h"

namespace versos {

// Draw once, i = rand() % N, with no rejection or second draw: the
// generators count on each pick consuming exactly one value.
template <int N, int W>
void pick(const char (&rows)[N][W]) {
    static_assert(N > 0 && W <= kTextBufferSize, "a row must fit the shared buffer");
    const int i = rand() % N;
    numPalabra = i;
    std::memcpy(palabra, rows[i], W);  // the entry, its NUL and the row's padding
}

}  // namespace versos
