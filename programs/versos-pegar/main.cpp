// versos-pegar: prints the clipboard's text item, the one versos writes.
#include <cstring>
#include <string>

#include <versos/version.h>

#include "core/clipboard/clipboard_device.h"
#include "lib/posix_io/program_start.h"
#include "lib/posix_io/program_text.h"
#include "programs/usage_error.h"

namespace {

using versos::program::Encoding;
using versos::program::message;
using versos::program::Stream;
using versos::program::write_text;

constexpr char kUsage[] =
    "usage: versos-pegar [-r] [--]\n"
    "Prints the text on the clipboard that versos writes, converted from\n"
    "Windows-1252 to UTF-8, with nothing added. The clipboard is chosen as\n"
    "versos chooses it: the file named by VERSOS_CLIPBOARD_FILE; else, on\n"
    "Windows, the Windows clipboard; elsewhere the X11 CLIPBOARD selection\n"
    "when DISPLAY is set, else the file clipboard in $XDG_RUNTIME_DIR/versos\n"
    "(or /tmp/versos-UID). On a Windows console the letters are shown as\n"
    "they are, whatever the console's code page.\n"
    "  -r         print the raw Windows-1252 bytes unchanged (from the Windows\n"
    "             clipboard: its text in Windows-1252, '?' for a letter the\n"
    "             code page lacks)\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "Exit status: 0 a text item was printed (an empty one included), 1 the\n"
    "clipboard holds no text, 2 the clipboard can't be reached or the command\n"
    "line is wrong. A clipboard file can't be reached when it or its lock\n"
    "file PATH.lock is not a regular file (a folder, device, FIFO, socket or\n"
    "symbolic link), when it is larger than 4 MiB, or when its name leaves no\n"
    "room for its lock file.\n";

// Writes the help or the version: 0, or 2 when standard output fails.
int show(const std::string& text) {
    std::string why;
    if (!write_text(Stream::out, text, Encoding::utf8, &why)) {
        message("versos-pegar: standard output: " + why + "\n");
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace versos;
    argv = program::utf8_arguments(argc, argv);
    // Output to a file beyond the file-size limit is a write error, said as
    // such, not a silent kill.
    program::survive_file_size_limit();
    TextFormat format = TextFormat::utf8;
    bool options_done = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (options_done || arg[0] != '-' || arg[1] == '\0') {
            return versos::programs::usage_error("versos-pegar", "unexpected argument: ", arg);
        } else if (std::strcmp(arg, "--") == 0) {
            options_done = true;
        } else if (std::strcmp(arg, "-r") == 0) {
            format = TextFormat::windows1252;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            return show(kUsage);
        } else if (std::strcmp(arg, "--version") == 0) {
            return show(std::string("versos-pegar ") + versos::version() + "\n");
        } else {
            return versos::programs::unknown_option("versos-pegar", arg);
        }
    }

    std::string text, why;
    switch (session_clipboard().read_text(format, text, why)) {
        case ReadResult::no_text:
            message("versos-pegar: the clipboard holds no text\n");
            return 1;
        case ReadResult::unreachable:
            message("versos-pegar: cannot reach the clipboard: " + why + "\n");
            return 2;
        case ReadResult::text:
            break;
    }
    const Encoding encoding = format == TextFormat::utf8 ? Encoding::utf8 : Encoding::windows1252;
    if (!write_text(Stream::out, text, encoding, &why)) {
        message("versos-pegar: cannot write the text: " + why + "\n");
        return 2;
    }
    return 0;
}
