#include "program_start.h"

#include <unistd.h>

#include <csignal>

namespace versos::program {

char** utf8_arguments(int, char** argv) { return argv; }

void binary_standard_streams() {}

bool is_console(int fd) { return ::isatty(fd) == 1; }

void console_escapes(int) {}

void survive_file_size_limit() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace versos::program
