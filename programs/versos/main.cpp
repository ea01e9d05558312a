// versos MODE SEED: puts one verse fragment on the clipboard. Silent by
// design: its only results are the clipboard and the exit status.
#include "core/dispatch.h"
#include "lib/posix_io/program_start.h"

int main(int argc, char** argv) {
    argv = versos::program::utf8_arguments(argc, argv);
    // A clipboard file that can't be written whole is then a failed write,
    // which the clipboard already handles, rather than a kill that leaves
    // its temporary file behind.
    versos::program::survive_file_size_limit();
    return versos::run_verse_command(argc, argv);
}
