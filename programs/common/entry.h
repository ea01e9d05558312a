// The programs' common entry. Each platform's own main (entry_posix.cpp,
// entry_windows.cpp) does what that platform needs before a run and hands
// the command line over as UTF-8 to the program's `run`.
#pragma once

namespace versos::program {

// Defined by each program: its whole run. argv[argc] is null.
int run(int argc, char** argv);

}  // namespace versos::program
