// Why a file routine failed, and how far a long one has got: for a program
// that tells its user which file is at fault and what the system said.
//
//     versos::clear_file_failure();
//     if (versos::copyf_("datos", "copia") != 1)
//         std::fprintf(stderr, "%s\n", versos::last_file_failure().text);
//         // cannot open 'datos' for reading: No such file or directory
//
// The routines of <versos/util/compression.h> and <versos/util/coding.h>
// record, for the calling thread, the first file operation that failed since
// clear_file_failure(): the one that stopped the run (later ones follow from
// it). Results stay 1, 0 or -1 as each routine says; the record only explains
// them. A routine that succeeds may leave it untouched or record a failure
// it recovered from, so clear it before the call and read it only after a
// failure.
#pragma once

#include <versos/util/export.h>

#include <cstdint>

namespace versos {

struct FileFailure {
    // The whole message, "cannot write 'copia': No space left on device";
    // "" when nothing failed.
    const char* text;
    // The file at fault, as the caller named it; "" when nothing failed.
    const char* path;
    // The errno the system gave, or 0 (a refusal of the routine's own, such
    // as a source that is its own target), and its text ("" for 0).
    int error;
    const char* reason;
    // A file that the failed run left holding data, whose path the caller
    // should be told: the intermediate file of a pipeline where it is the one
    // copy left, or the whole new content of a file of several names that
    // could not be copied into place. "" when none.
    const char* kept;
};

// The calling thread's record. The strings stay valid until the next file
// routine or clear_file_failure() on this thread.
VERSOS_UTIL_EXPORT FileFailure last_file_failure();
VERSOS_UTIL_EXPORT void clear_file_failure();

// Told after every block read from a source file, and once more at its end,
// with the path, the bytes read so far and the file's size (0 when it has
// none, as a pipe). One observer for the process, called on the thread that
// runs the routine; null (the default) for none. It must not call the file
// routines.
using FileProgress = void (*)(const char* path, std::uint64_t done, std::uint64_t total);
VERSOS_UTIL_EXPORT void set_file_progress(FileProgress observer);

}  // namespace versos
