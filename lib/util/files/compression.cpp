#include <versos/util/compression.h>

#include "compression_files.h"
#include "int_result.h"

namespace versos {
namespace {

using zeroruns::Format;

int estimate_or_failure(Format format, const char* path) {
    return fileio::int_result(-1, path,
                              [&] { return zeroruns::estimate_result(zeroruns::saving_estimate(format, path)); });
}

}  // namespace

int comprexe_(const char* source, const char* target) {
    return fileio::int_result(0, source, [&] { return zeroruns::encode_file(Format::plain, source, target); });
}
int dcomprexe_(const char* source, const char* target) {
    return fileio::int_result(0, source, [&] { return zeroruns::decode_file(Format::plain, source, target); });
}
int comprexebis_(const char* source, const char* target) {
    return fileio::int_result(0, source, [&] { return zeroruns::encode_file(Format::extended, source, target); });
}
int dcomprexebis_(const char* source, const char* target) {
    return fileio::int_result(0, source, [&] { return zeroruns::decode_file(Format::extended, source, target); });
}

int tienecerosf_(const char* path) {
    return fileio::int_result(-1, path, [&] {
        fileio::InFile in;
        if (!in.open(path)) return -1;
        return zeroruns::has_zero(in);
    });
}

// Two names for each estimate: callers know both.
int cerosahorradosf_(const char* path) { return estimate_or_failure(Format::plain, path); }
int cerosahorradosbisf_(const char* path) { return estimate_or_failure(Format::plain, path); }
int cerosahorradosplusf_(const char* path) { return estimate_or_failure(Format::extended, path); }
int cerosahorradosplusf1_(const char* path) { return estimate_or_failure(Format::extended, path); }

int numcerosmatf_(const char* path) {
    zeroruns::RunReport report;
    if (!fileio::int_result(0, path, [&] { return zeroruns::run_report(path, report) ? 1 : 0; })) return -1;
    // 160 and 163 are á and ú in code page 850, the console's.
    zeroruns::print_run_report(report, "M\xA0ximo n\xA3mero de ceros");
    return 0;
}

}  // namespace versos
