#include "core/buffers.h"

namespace versos {

char palabra[kTextBufferSize];
char frase[kTextBufferSize];
int numPalabra;

}  // namespace versos
