// ficheros: the file routines of the utility library from the shell.
#pragma once

#include <string>

namespace versos::ficheros {

// What running one routine gave.
struct Outcome {
    int result = 0;
    bool success = false;
    bool print_result = true;  // numcerosmatf prints its report instead
};

// What the arguments must be, beyond their number.
enum class Args {
    files,  // paths
    keyed,  // paths, then a key that must not be empty
    bits,   // a byte value 0 to 255, then a count of bits 0 or more
};

struct Command {
    const char* name;     // the routine's name without its trailing underscore
    const char* args;     // "SRC DST KEY", ...
    const char* summary;  // one line for --help
    int arg_count;
    Args kind;
    Outcome (*run)(char** args);
};

// The subcommands, in the order --help lists them; ends with a null name.
extern const Command kCommands[];

// Parses a whole decimal or 0x-hexadecimal argument within [low, high].
bool parse_int(const char* text, long low, long high, int& value);

// The text with each control byte (below 0x20, and 0x7F) written as a
// backslash and three octal digits ("\033"), the rest as it is: safe to
// send to a terminal.
std::string shown(const char* text);

// Shows on standard error, when it is a terminal, how far the reading of a
// file over 64 MiB has gone.
void enable_progress();
void clear_progress();

}  // namespace versos::ficheros
