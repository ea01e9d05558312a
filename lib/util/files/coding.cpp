#include <versos/util/coding.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

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

int movef_(const char* source, const char* target) {
    // Only a regular file is moved: removing a device, a FIFO or a socket
    // would take it from everyone who uses it, and removing a symbolic link
    // after copying what it names would leave the data where it was.
    struct stat before, after;
    if (::lstat(source, &before) != 0) {
        fileio::note_failure("cannot open %s for reading", source, errno);
        return 0;
    }
    if (!S_ISREG(before.st_mode)) {
        fileio::note_failure(S_ISLNK(before.st_mode) ? "will not move %s: it is a symbolic link"
                                                     : "will not move %s: it is not a regular file",
                             source, 0);
        return 0;
    }
    if (!copyf_(source, target)) return 0;
    // What is removed must be the file that was copied.
    if (::lstat(source, &after) != 0 || after.st_dev != before.st_dev || after.st_ino != before.st_ino) {
        fileio::note_failure("will not remove %s: it changed while it was copied", source, 0);
        return 0;
    }
    if (::unlink(source) != 0) {
        fileio::note_failure("cannot remove %s", source, errno);
        return 0;
    }
    return 1;
}

int expandeclave_(const char* key, char* buffer) { return keycoding::expand_key(keycoding::caller_key(key), buffer); }

int rbitchar_(unsigned char c, int n) { return keycoding::rotate_right(c, n); }
int lbitchar_(unsigned char c, int n) { return keycoding::rotate_left(c, n); }

}  // namespace versos
