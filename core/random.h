// The random source of the verse generator: the linear congruential
// generator of the original system's C runtime, reproduced exactly so that
// one mode and one seed give the same fragment as there. The state is the
// calling thread's own.
#pragma once

namespace versos {

// state = seed.
void srand(unsigned int seed);

// state = state * 214013 + 2531011 (mod 2^32); returns (state >> 16) & 0x7FFF,
// a value from 0 to 32767.
int rand();

// Test seam: a replacement for the generator behind rand(), to script the
// draws a generator makes on this thread. Returns the previous source;
// nullptr puts the runtime's generator back.
using DrawSource = int (*)();
DrawSource set_draw_source(DrawSource source);

}  // namespace versos
