#include "core/buffers.h"

#include <cstring>

namespace versos {

thread_local char palabra[kTextBufferSize];
thread_local char frase[kTextBufferSize];
thread_local int numPalabra;

void clear_buffers() {
    std::memset(palabra, 0, sizeof palabra);
    std::memset(frase, 0, sizeof frase);
    numPalabra = 0;
}

}  // namespace versos
