#include "program_start.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

namespace versos::program {

char** utf8_arguments(int, char** argv) { return argv; }

void binary_standard_streams() {}

bool is_console(int fd) { return ::isatty(fd) == 1; }

void console_escapes(int) {}

bool is_standard_output(const char* path) {
    struct stat target, out;
    return ::stat(path, &target) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 && target.st_dev == out.st_dev &&
           target.st_ino == out.st_ino;
}

void survive_file_size_limit() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace versos::program
