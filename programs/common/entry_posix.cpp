#include <csignal>

#include "programs/common/entry.h"

int main(int argc, char** argv) {
    // Output beyond the file-size limit is a failed write, which the
    // programs report and clean up after, rather than a kill that leaves a
    // temporary file behind.
    std::signal(SIGXFSZ, SIG_IGN);
    return versos::program::run(argc, argv);
}
