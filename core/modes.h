// The mode characters and what each one runs: the same for the verse command
// and for the generator library, which differ only in the destination they
// install for the fragment (core/fragment_destination.h).
#pragma once

namespace versos {

// Runs the generator or picker of `mode` on the calling thread's random
// source and buffers; a picker's entry goes to str2clip, as a composite
// generator's fragment does. False, and nothing drawn, for an unknown mode.
bool run_mode(char mode);

}  // namespace versos
