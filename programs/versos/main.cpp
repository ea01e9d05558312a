// versos MODE SEED: puts one verse fragment on the clipboard. Silent by
// design: its only results are the clipboard and the exit status.
#include <csignal>

#include "core/dispatch.h"

int main(int argc, char** argv) {
    // Under a file-size limit, a clipboard file that can't be written whole
    // is a failed write (EFBIG), which the clipboard already handles,
    // rather than a kill that leaves its temporary file behind.
    std::signal(SIGXFSZ, SIG_IGN);
    return versos::run_verse_command(argc, argv);
}
