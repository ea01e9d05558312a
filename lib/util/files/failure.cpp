// The public face of the file routines' failure record and progress
// observer (file_io.h keeps them).
#include <versos/util/failure.h>

#include <string>

#include "file_io.h"

namespace versos {
namespace {

// What last_file_failure() last described, for this thread.
thread_local std::string g_text, g_reason;

}  // namespace

FileFailure last_file_failure() {
    const fileio::Failure& f = fileio::failure();
    g_text = fileio::describe(f);
    g_reason = fileio::error_text(f.error);
    return {g_text.c_str(), f.path.c_str(), f.error, g_reason.c_str(), f.kept.c_str()};
}

void clear_file_failure() { fileio::clear_failure(); }

void set_file_progress(FileProgress observer) { fileio::set_progress_observer(observer); }

}  // namespace versos
