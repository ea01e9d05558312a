#include "core/dispatch.h"

#include "core/clipboard/clipboard.h"
#include "core/clipboard_destination.h"
#include "core/modes.h"
#include "core/random.h"
#include "core/seed.h"

namespace versos {

int run_verse_command(int argc, const char* const* argv) {
    if (argc != 3) return 1;

    // atoi gives an int; srand takes it as unsigned, so -1 seeds 4294967295.
    srand(static_cast<unsigned int>(seed_from_text(argv[2])));
    clearclip();
    ClipboardDestination clipboard;
    const FragmentsGoTo to(clipboard);
    return run_mode(argv[1][0]) ? 0 : 1;
}

}  // namespace versos
