// The shared text buffers of the generator: every pick leaves its entry in
// `palabra`, composite generators build their fragment in `frase`. Each
// thread has its own, so that threads can make fragments at once.
#pragma once

namespace versos {

inline constexpr int kTextBufferSize = 256;  // 255 bytes of text and the NUL

extern thread_local char palabra[kTextBufferSize];
extern thread_local char frase[kTextBufferSize];
extern thread_local int numPalabra;  // row of the last pick

// Puts the calling thread's buffers back as they are when a run starts:
// zero, as mode w relies on.
void clear_buffers();

}  // namespace versos
