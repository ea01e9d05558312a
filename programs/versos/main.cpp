// versos MODE SEED: puts one verse fragment on the clipboard. Silent by
// design: its only results are the clipboard and the exit status.
#include "core/dispatch.h"
#include "programs/common/entry.h"

int versos::program::run(int argc, char** argv) { return versos::run_verse_command(argc, argv); }
