// One run of the verse command: check the command line, seed the random
// source, empty the clipboard, and hand over to the generator or picker that
// the mode character selects.
#pragma once

namespace versos {

// Returns the exit status: 0 for every recognised mode, whether or not the
// clipboard could be written; 1 for a wrong argument count (nothing else
// happens) or an unrecognised mode (after the clipboard was emptied).
int run_verse_command(int argc, const char* const* argv);

}  // namespace versos
