// The first failure of the file routines on each thread and the progress
// observer: the same on every system (file_io.cpp and file_io_windows.cpp
// hold what differs).
#include <string>

#include "file_io.h"

namespace versos::fileio {
namespace {

thread_local Failure g_failure;
ProgressObserver g_observer = nullptr;

}  // namespace

void clear_failure() { g_failure = Failure{}; }
const Failure& failure() { return g_failure; }

void note_failure(const char* what, const char* path, int error) {
    if (g_failure.what != nullptr) return;  // the first failure is the cause; later ones follow from it
    g_failure.what = what;
    g_failure.error = error;
    try {
        g_failure.path = path;
    } catch (...) {  // memory short: the message goes without the name
        g_failure.path.clear();
    }
}

void note_kept(const char* path) {
    try {
        g_failure.kept = path;
    } catch (...) {
        g_failure.kept.clear();
    }
}

std::string describe(const Failure& f) {
    if (f.what == nullptr) return {};
    std::string text = f.what;
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, "'" + f.path + "'");
    if (f.error != 0) text += ": " + error_text(f.error);
    return text;
}

void set_progress_observer(ProgressObserver observer) { g_observer = observer; }

void InFile::report_progress(std::uint64_t done) const {
    if (g_observer != nullptr) g_observer(path_.c_str(), done, total_);
}

}  // namespace versos::fileio
