// The shared text buffers of the generator: every pick leaves its entry in
// `palabra`, composite generators build their fragment in `frase`.
#pragma once

namespace versos {

inline constexpr int kTextBufferSize = 256;  // 255 bytes of text and the NUL

extern char palabra[kTextBufferSize];
extern char frase[kTextBufferSize];
extern int numPalabra;  // row of the last pick

}  // namespace versos
