#include "lib/console/outside_writes.h"

#include <unistd.h>

#include "lib/console/device.h"

namespace versos::console {

void write_on_standard_error(const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
    if (isatty(STDERR_FILENO)) device().terminal_written_outside();
}

void after_standard_output() {
    std::fflush(stdout);
    if (isatty(STDOUT_FILENO)) device().terminal_written_outside();
}

}  // namespace versos::console
