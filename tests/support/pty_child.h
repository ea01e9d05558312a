// A child process on a pseudo-terminal, as a program a person runs in a
// terminal window: the session leader, with the terminal as its controlling
// terminal and its standard streams.
#pragma once

namespace versos::test {

// Called in the child just after fork(): makes `terminal` (the side of the
// pseudo-terminal a program reads and writes) the controlling terminal of a
// new session and standard input and output (and standard error, if
// `with_stderr`), closes both `terminal` and `controller`, and sets
// TERM=xterm.
void become_terminal_program(int controller, int terminal, bool with_stderr);

}  // namespace versos::test
