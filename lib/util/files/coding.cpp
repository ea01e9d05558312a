#include <versos/util/coding.h>

#include "file_io.h"
#include "int_result.h"
#include "key_coding.h"
#include "kernel_copy.h"

namespace versos {

using keycoding::Key;

// The codings read a block, code it in place and write it, into a file whose
// room was reserved first. Mapping the files would copy each byte less often,
// but costs a page-table entry a page, which on virtual machines costs more
// than the copies spared (bench/coding_ways times both ways).
int codef_(const char* source, const char* target, const char* key) {
    const Key k = keycoding::caller_key(key);
    if (k.size == 0) return 0;
    return fileio::int_result(0, source, [&] {
        return fileio::transform_file(
            source, target, [k](blocks::Source& in, blocks::Sink& out) { return keycoding::xor_code(k, in, out); },
            true);
    });
}

// Once a byte-by-byte twin of codef_; the bytes are the same either way.
int codef1_(const char* source, const char* target, const char* key) { return codef_(source, target, key); }

namespace {

int rotating(const char* source, const char* target, const char* key, bool undo) {
    const keycoding::WorkingKey working(key);
    if (!working.usable()) return 0;
    const Key k = working.key();
    return fileio::int_result(0, source, [&] {
        return fileio::transform_file(source, target, [k, undo](blocks::Source& in, blocks::Sink& out) {
            return keycoding::rotate_code(k, undo, in, out);
        }, true);
    });
}

}  // namespace

int codebitf_(const char* source, const char* target, const char* key) { return rotating(source, target, key, false); }
int decodebitf_(const char* source, const char* target, const char* key) { return rotating(source, target, key, true); }

int copyf_(const char* source, const char* target) {
    return fileio::int_result(0, source, [&] {
        fileio::InFile in;
        if (!in.open(source)) return 0;
        fileio::OutFile out;
        if (!out.create(target, in)) return 0;
        return out.finish(fileio::copy_contents(in, out)) ? 1 : 0;
    });
}

int expandeclave_(const char* key, char* buffer) { return keycoding::expand_key(keycoding::caller_key(key), buffer); }

int rbitchar_(unsigned char c, int n) { return keycoding::rotate_right(c, n); }
int lbitchar_(unsigned char c, int n) { return keycoding::rotate_left(c, n); }

}  // namespace versos
