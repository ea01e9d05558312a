// ficheros SUBCOMMAND ARGS...: runs the file routine of that name (without
// its trailing underscore) and prints its numeric result on a line of its
// own. Exit status: 0 when the routine reports success, 1 when it reports
// failure (with a message on standard error naming the file at fault), 2 for
// a wrong command line.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include <versos/util/failure.h>
#include <versos/version.h>

#include "ficheros.h"
#include "lib/posix_io/program_start.h"
#include "lib/posix_io/program_text.h"
#include "programs/usage_error.h"

namespace {

using versos::ficheros::Args;
using versos::ficheros::Command;
using versos::ficheros::kCommands;

void help(std::FILE* out) {
    std::fputs(
        "usage: ficheros [--] SUBCOMMAND [--] ARGS...\n"
        "       ficheros --help | --version\n"
        "Runs the file routine SUBCOMMAND and prints its result. Exit status 0 when the\n"
        "routine succeeds, 1 when it fails, 2 for a wrong command line.\n\n"
        "Subcommands:\n",
        out);
    for (const Command* c = kCommands; c->name != nullptr; ++c) {
        const std::string call = std::string(c->name) + " " + c->args;
        std::fprintf(out, "  %-33s %s\n", call.c_str(), c->summary);
    }
    std::fputs("\nThe keyed codings keep data from a casual reader; they are not encryption.\n", out);
}

// Writes the help or the version: 0, or 2 when standard output fails.
int shown_on_stdout(void (*write)(std::FILE*)) {
    write(stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::perror("ficheros: standard output");
        return 2;
    }
    return 0;
}

void version(std::FILE* out) { std::fprintf(out, "ficheros %s\n", versos::version()); }

int usage_error(const std::string& why) {
    return versos::programs::usage_error("ficheros", versos::ficheros::shown(why.c_str()).c_str());
}

const Command* find(const char* name) {
    for (const Command* c = kCommands; c->name != nullptr; ++c)
        if (std::strcmp(c->name, name) == 0) return c;
    return nullptr;
}

// Whether the subcommand writes a file that is standard output's own (as
// /dev/stdout, or the file it was redirected to): its result line then goes
// to standard error, so that it never lands among the data.
bool writes_standard_output(const Command& c, char** args) {
    if (c.kind == Args::bits || c.arg_count < 2) return false;
    return versos::program::is_standard_output(args[1]);
}

// Empty when the arguments suit the subcommand, else what is wrong.
std::string check(const Command& c, int count, char** args) {
    if (count != c.arg_count)
        return std::string(c.name) + " takes " + std::to_string(c.arg_count) + " arguments: " + c.args;
    if (c.kind == Args::keyed && args[count - 1][0] == '\0') return "the key must not be empty";
    int value;
    if (c.kind == Args::bits) {
        if (!versos::ficheros::parse_int(args[0], 0, 255, value)) return "C must be a byte value, 0 to 255";
        if (!versos::ficheros::parse_int(args[1], 0, INT_MAX, value)) return "N must be a number, 0 or more";
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    argv = versos::program::utf8_arguments(argc, argv);
    versos::program::binary_standard_streams();
    // Options come before the subcommand; "--" may end them there, or stand
    // first after the subcommand, so that any file name can follow.
    int next = 1;
    if (next < argc && std::strcmp(argv[next], "--") == 0) {
        ++next;
    } else if (next < argc && argv[next][0] == '-' && argv[next][1] != '\0') {
        if (std::strcmp(argv[next], "--help") == 0 || std::strcmp(argv[next], "-h") == 0)
            return shown_on_stdout(help);
        if (std::strcmp(argv[next], "--version") == 0) return shown_on_stdout(version);
        return versos::programs::unknown_option("ficheros", versos::ficheros::shown(argv[next]).c_str());
    }
    if (next == argc) return usage_error("no subcommand given");
    const Command* command = find(argv[next]);
    if (command == nullptr) return usage_error(std::string("unknown subcommand '") + argv[next] + "'");
    ++next;
    if (next < argc && std::strcmp(argv[next], "--") == 0) ++next;
    char** args = argv + next;
    const std::string wrong = check(*command, argc - next, args);
    if (!wrong.empty()) return usage_error(wrong);

    // Past a file-size limit (ulimit -f) a write then fails with EFBIG,
    // which the routines report and clean up after, where the signal's
    // default would kill the run and leave its temporary file.
    versos::program::survive_file_size_limit();
    std::FILE* const result_out = writes_standard_output(*command, args) ? stderr : stdout;
    versos::ficheros::enable_progress();
    versos::clear_file_failure();
    const versos::ficheros::Outcome outcome = command->run(args);
    versos::ficheros::clear_progress();

    if (outcome.print_result) std::fprintf(result_out, "%d\n", outcome.result);
    if (std::fflush(stdout) != 0) {
        versos::program::messagef("ficheros: standard output: %s\n", std::strerror(errno));
        return 1;
    }
    if (outcome.success) return 0;
    const versos::FileFailure failure = versos::last_file_failure();
    if (failure.text[0] != '\0')
        versos::program::messagef("ficheros: %s: %s\n", command->name, versos::ficheros::shown(failure.text).c_str());
    else
        versos::program::messagef("ficheros: %s failed\n", command->name);
    if (failure.kept[0] != '\0')
        versos::program::messagef("ficheros: %s: the new data is left in '%s'\n", command->name,
                                  versos::ficheros::shown(failure.kept).c_str());
    return 1;
}
