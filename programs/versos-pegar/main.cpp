// versos-pegar: prints the clipboard's text item, the one versos writes.
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include <versos/version.h>

#include "core/clipboard/clipboard_device.h"
#include "lib/posix_io/posix_io.h"
#include "programs/usage_error.h"

namespace {

constexpr char kUsage[] =
    "usage: versos-pegar [-r] [--]\n"
    "Prints the text on the clipboard that versos writes, converted from\n"
    "Windows-1252 to UTF-8, with nothing added. The clipboard is chosen as\n"
    "versos chooses it: the file named by VERSOS_CLIPBOARD_FILE; else the X11\n"
    "CLIPBOARD selection when DISPLAY is set; else the file clipboard in\n"
    "$XDG_RUNTIME_DIR/versos (or /tmp/versos-UID).\n"
    "  -r         print the raw Windows-1252 bytes unchanged\n"
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
    if (!versos::posix_io::write_all(STDOUT_FILENO, text.data(), text.size())) {
        std::fprintf(stderr, "versos-pegar: standard output: %s\n", std::strerror(errno));
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Output to a file beyond the file-size limit is a write error, said as
    // such, not a silent kill.
    std::signal(SIGXFSZ, SIG_IGN);
    versos::TextFormat format = versos::TextFormat::utf8;
    bool options_done = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (options_done || arg[0] != '-' || arg[1] == '\0') {
            return versos::programs::usage_error("versos-pegar", "unexpected argument: ", arg);
        } else if (std::strcmp(arg, "--") == 0) {
            options_done = true;
        } else if (std::strcmp(arg, "-r") == 0) {
            format = versos::TextFormat::windows1252;
        } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            return show(kUsage);
        } else if (std::strcmp(arg, "--version") == 0) {
            return show(std::string("versos-pegar ") + versos::version() + "\n");
        } else {
            return versos::programs::unknown_option("versos-pegar", arg);
        }
    }

    std::string text, why;
    switch (versos::session_clipboard().read_text(format, text, why)) {
        case versos::ReadResult::no_text:
            std::fputs("versos-pegar: the clipboard holds no text\n", stderr);
            return 1;
        case versos::ReadResult::unreachable:
            std::fprintf(stderr, "versos-pegar: cannot reach the clipboard: %s\n", why.c_str());
            return 2;
        case versos::ReadResult::text:
            break;
    }
    if (!versos::posix_io::write_all(STDOUT_FILENO, text.data(), text.size())) {
        std::fprintf(stderr, "versos-pegar: cannot write the text: %s\n", std::strerror(errno));
        return 2;
    }
    return 0;
}
