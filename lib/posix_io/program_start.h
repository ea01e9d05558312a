// What a program of versos does first, where systems differ:
// program_start.cpp on POSIX systems, program_start_windows.cpp on Windows.
#pragma once

namespace versos::program {

// The command line in UTF-8. Windows hands a program its arguments in
// UTF-16, and main's argv in the system's code page, which may lack letters
// of a name (canción.txt): there they are taken from the UTF-16 command
// line. Elsewhere argv itself. Valid for the whole run.
char** utf8_arguments(int argc, char** argv);

// Standard input, output and error carry bytes as they are: Windows' C
// runtime would otherwise write CR LF for each LF and stop reading at a
// Ctrl-Z.
void binary_standard_streams();

// Whether the descriptor is a terminal (on Windows a console: asked of the
// console itself, since the C runtime calls NUL a terminal too).
bool is_console(int fd);

// A console's output takes the terminal escapes (\r\033[K) that redraw a
// line; on Windows asked for, and given back at exit.
void console_escapes(int fd);

// A write past a file-size limit fails (EFBIG) instead of killing the
// program (SIGXFSZ), where there is such a limit.
void survive_file_size_limit();

}  // namespace versos::program
