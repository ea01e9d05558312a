// The compress-then-code pipelines and their inverses. The intermediate file
// comes from mkstemp, so no other process can take its name first; it is
// made in the target's folder where it may be renamed onto the target (never
// crossing file systems), else in TMPDIR.
#include <versos/util/coding.h>

#include <sys/stat.h>

#include <string>

#include "compression_files.h"
#include "file_io.h"
#include "int_result.h"
#include "kernel_copy.h"
#include "key_coding.h"

namespace versos {
namespace {

using keycoding::Key;
using zeroruns::Format;

constexpr const char* kIntermediate = "cannot write the intermediate file for %s";

bool compress_into(Format format, const char* source, fileio::TempFile& temp, const char* target) {
    fileio::InFile in;
    fileio::OutFile out;
    if (!in.open(source) || !out.open_fd(temp.fd(), target, kIntermediate)) return false;
    const bool done = zeroruns::encode(format, in, out);
    return out.finish(done);
}

bool decompress_from(Format format, fileio::TempFile& temp, const char* target) {
    fileio::InFile in;
    fileio::OutFile out;
    if (!in.open_fd(temp.fd(), temp.path()) || !out.create(target, in)) return false;
    const bool done = zeroruns::decode(format, in, out);
    return out.finish(done);
}

bool code_from(fileio::TempFile& temp, const char* target, Key key) {
    fileio::InFile in;
    fileio::OutFile out;
    if (!in.open_fd(temp.fd(), temp.path()) || !out.create(target, in)) return false;
    const bool done = keycoding::xor_code(key, in, out);
    return out.finish(done);
}

bool decode_into(const char* source, fileio::TempFile& temp, Key key, const char* target) {
    fileio::InFile in;
    fileio::OutFile out;
    if (!in.open(source) || !out.open_fd(temp.fd(), target, kIntermediate)) return false;
    const bool done = keycoding::xor_code(key, in, out);
    return out.finish(done);
}

bool copy_from(fileio::TempFile& temp, const char* target) {
    fileio::InFile in;
    fileio::OutFile out;
    if (!in.open_fd(temp.fd(), temp.path()) || !out.create(target, in)) return false;
    const bool done = fileio::copy_contents(in, out);
    return out.finish(done);
}

int source_holds_zero(const char* source) {
    fileio::InFile in;
    return in.open(source) ? zeroruns::has_zero(in) : -1;
}

int temp_holds_zero(fileio::TempFile& temp) {
    fileio::InFile in;
    return in.open_fd(temp.fd(), temp.path()) ? zeroruns::has_zero(in) : -1;
}

// After the last step failed: the intermediate file is dropped while the
// source still holds the data, and kept (and named) where it is the one copy
// left.
void drop_or_keep(fileio::TempFile& temp, bool source_whole) {
    if (source_whole)
        temp.remove();
    else
        temp.keep();
}

// A source that can't be read twice (a pipe) is compressed at once and the
// zero test made on the result: compression leaves data without zeros as it
// is and keeps a zero exactly where the source had one. Where the last step
// fails, the intermediate file is the one copy of what was read.
int code_pipeline_once(Format format, const char* source, const char* target, Key key, int plain_flags) {
    fileio::TempFile temp;
    const std::string real = fileio::resolved_target(target);
    if (!temp.make_for(real.c_str(), fileio::target_kind(real.c_str())) || !compress_into(format, source, temp, target)) {
        temp.remove();
        return 0;
    }
    const int zero = temp_holds_zero(temp);
    if (zero < 0) {
        temp.keep();
        return 0;
    }
    int flags = zero == 1 ? codexe_ceros | codexe_comprimido : 0;
    if (!code_from(temp, target, key)) {
        temp.keep();
        return flags;
    }
    flags |= zero == 1 ? codexe_codificado : plain_flags;
    if (temp.remove() && zero == 1) flags |= codexe_limpio;
    return flags;
}

// Writing the source's own file would destroy what is about to be read.
bool refused_over_itself(const char* source, const char* target) {
    if (!fileio::same_file(source, target)) return false;
    fileio::note_failure("cannot write %s over itself", target, 0);
    return true;
}

int code_pipeline(Format format, const char* source, const char* target, Key key, int plain_flags) {
    if (refused_over_itself(source, target)) return 0;
    struct stat st;
    if (::stat(source, &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return code_pipeline_once(format, source, target, key, plain_flags);
    int flags = 0;
    if (source_holds_zero(source) == 1) {
        flags |= codexe_ceros;
        fileio::TempFile temp;
        const std::string real = fileio::resolved_target(target);
        if (temp.make_for(real.c_str(), fileio::target_kind(real.c_str())) && compress_into(format, source, temp, target)) {
            flags |= codexe_comprimido;
            const bool source_whole = fileio::survives_failed_write(source, target);
            if (code_from(temp, target, key)) {
                flags |= codexe_codificado;
                if (temp.remove()) flags |= codexe_limpio;
            } else {
                drop_or_keep(temp, source_whole);
            }
        } else {
            temp.remove();  // holds nothing of use: the source is still there
        }
    }
    if (flags == 0 && fileio::transform_file(source, target, [key](blocks::Source& in, blocks::Sink& out) {
            return keycoding::xor_code(key, in, out);
        }, true))
        flags |= plain_flags;
    return flags;
}

// A coded file holds a zero byte after decoding exactly when it was
// compressed: compression keeps zeros only as run markers, and a source
// without zeros is coded as it is.
int decode_pipeline(Format format, const char* source, const char* target, Key key, bool move) {
    if (refused_over_itself(source, target)) return 0;
    // A link is replaced where it leads, and stays a link.
    const std::string real = fileio::resolved_target(target);
    const fileio::Target kind = fileio::target_kind(real.c_str());
    fileio::TempFile temp;
    if (!temp.make_for(real.c_str(), kind)) return 0;
    if (!decode_into(source, temp, key, target)) {
        temp.remove();
        return 0;
    }
    int flags = codexe_codificado;
    const bool source_whole = fileio::survives_failed_write(source, target);
    const int zero = temp_holds_zero(temp);  // -1: the intermediate file can't be read
    bool placed = false, finished = false;
    if (zero == 1) {
        flags |= codexe_ceros;
        placed = decompress_from(format, temp, target);
        if (placed) flags |= codexe_comprimido;
        finished = placed && temp.remove();
    } else if (zero == 0) {
        // Renamed only onto a regular file of one name or a new one, and
        // only from beside it: anything else is written as the routines
        // write it.
        if (move || !fileio::renamed_into_place(kind) ||
            !fileio::renamed_into_place(fileio::target_kind(real.c_str()))) {
            placed = copy_from(temp, target);
            finished = placed && temp.remove();
        } else {
            placed = finished = temp.rename_to(real.c_str(), target);
        }
    }
    if (finished)
        flags |= codexe_limpio;
    else if (placed)
        temp.keep();  // the target is whole; only the removal failed
    else
        drop_or_keep(temp, source_whole);
    return flags;
}

}  // namespace

int codexef_(const char* source, const char* target, const char* key) {
    const Key k = keycoding::caller_key(key);
    if (k.size == 0) return 0;
    return fileio::int_result(0, source,
                              [&] { return code_pipeline(Format::plain, source, target, k, codexe_solo_codificado); });
}

int dcodexef_(const char* source, const char* target, const char* key) {
    const Key k = keycoding::caller_key(key);
    if (k.size == 0) return 0;
    return fileio::int_result(0, source, [&] { return decode_pipeline(Format::plain, source, target, k, false); });
}

int codexebisf_(const char* source, const char* target, const char* key) {
    const keycoding::WorkingKey working(key);
    if (!working.usable()) return 0;
    return fileio::int_result(0, source, [&] {
        return code_pipeline(Format::extended, source, target, working.key(), codexebis_solo_codificado);
    });
}

int decodexebisf_(const char* source, const char* target, const char* key) {
    const keycoding::WorkingKey working(key);
    if (!working.usable()) return 0;
    return fileio::int_result(0, source, [&] { return decode_pipeline(Format::extended, source, target, working.key(), true); });
}

}  // namespace versos
