// Files for the library's file routines (file_io_shared.cpp on every
// system, over file_io.cpp on POSIX systems or file_io_windows.cpp on
// Windows): opened as the routines need them, read and written a block at
// a time with read(2) and write(2), targets replaced only once their new
// content is whole, temporary files from mkstemp, and a record of the first
// failure, which ficheros uses to name the file in its message.
#pragma once

#include <cstdint>
#include <string>

#include "block_stream.h"

namespace versos::fileio {

// The first file operation that failed on this thread since clear_failure().
struct Failure {
    const char* what = nullptr;  // "cannot open '%s' for reading", ...; nullptr: nothing failed
    std::string path;
    int error = 0;     // errno, or 0
    std::string kept;  // an intermediate file left holding data, if any
};
void clear_failure();
const Failure& failure();
void note_failure(const char* what, const char* path, int error);
void note_kept(const char* path);
// strerror's text for an errno, "" for 0; safe on any thread.
std::string error_text(int error);
// "cannot open 'x' for reading: No such file or directory"
std::string describe(const Failure& f);

// Told after every block read from a file, and once more at its end, with
// the bytes read so far and the file's size (0 when it has none, as a pipe).
using ProgressObserver = void (*)(const char* path, std::uint64_t done, std::uint64_t total);
void set_progress_observer(ProgressObserver observer);

// The file that writing to `path` reaches: the path itself, or where its
// chain of symbolic links ends (a file that may not exist yet). A target
// that is a link is replaced there, so that the link stays a link. A name of
// one of this process's descriptors (/dev/stdout, /dev/fd/N,
// /proc/self/fd/N) is where the chain stops: it is written through the
// descriptor, whatever the descriptor's own link names.
std::string resolved_target(const char* path);

// What writing to a path does to what is there (decided by lstat on the
// file that the path's links lead to).
enum class Target {
    fresh,        // nothing: written beside it, renamed into place once whole
    replaceable,  // a regular file of one name that may be written and whose
                  // owner and group a new file can take: the same, keeping
                  // its permissions, owner and group
    several,      // a regular file of several names that may be written: the
                  // new content is made whole beside it, then copied into it
    through,      // a device, a FIFO, one of another owner or that can't be
                  // written: opened and written itself
    descriptor,   // a name of one of this process's descriptors: written
                  // through a duplicate of it, at its own position
    folder,       // refused
};
Target target_kind(const char* path);
// Whether a finished file may be renamed onto a target of that kind.
inline bool renamed_into_place(Target kind) { return kind == Target::fresh || kind == Target::replaceable; }

// Gives the file open as fd what a file renamed onto `target` keeps: the
// permissions of the file there and, as far as allowed, its owner and group;
// where there is none, the permissions a new file gets. False, with errno,
// when the permissions can't be set. On Windows: the file's attributes
// (hidden, system, ...), as far as they can be set.
bool take_place_attributes(int fd, const char* target);

// Whether both paths name one file (through links, or as two names of it).
bool same_file(const char* a, const char* b);

// Whether `path` names something that gives its bytes once (a pipe, a
// device): neither a regular file nor a folder.
bool read_once_only(const char* path);

// Whether `source` still holds its data after a write to `target` failed:
// it is a regular file, and not the file that the write went through to.
// Where it does not, an intermediate file may be the one copy left.
bool survives_failed_write(const char* source, const char* target);

class InFile : public blocks::Source {
public:
    InFile() = default;
    InFile(const InFile&) = delete;
    InFile& operator=(const InFile&) = delete;
    ~InFile();

    // Refuses a folder, which opens but can't be read.
    bool open(const char* path);
    // Reads a duplicate of fd from its start (an intermediate file).
    bool open_fd(int fd, const char* path);
    std::ptrdiff_t read(std::uint8_t* buf, std::size_t cap) override;
    int fd() const { return fd_; }
    // The size of a regular file when opened; 0 for anything else.
    std::uint64_t size() const { return total_; }
    // For readers that bypass read(): tells the progress observer.
    void report_progress(std::uint64_t done) const;
    // Notes a read error; false, for the caller to return.
    bool fail_read(int error) const;

private:
    bool start(int fd, const char* path);

    int fd_ = -1;
    std::string path_;
    std::uint64_t done_ = 0, total_ = 0;
};

// A file made by mkstemp: beside the file it is for, so that renaming it
// there never crosses file systems, or in TMPDIR (/tmp) when it will never
// be renamed.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();  // closes it; the file itself stays unless removed or renamed

    // `named`: the target as the caller named it, for the message (`what`;
    // none noted when null).
    bool make_beside(const char* target, const char* named = nullptr,
                     const char* what = "cannot create a temporary file beside %s");
    // Beside the target where it may be renamed onto it (as target_kind
    // found it), else in TMPDIR.
    bool make_for(const char* target, Target kind);
    const char* path() const { return path_.c_str(); }
    int fd() const { return fd_; }
    bool made() const { return !path_.empty(); }
    int error() const { return error_; }  // errno of the last make that failed
    bool remove();
    // Closes it and renames it onto target, with the permissions (and, as far
    // as allowed, the owner and group) that the target has, or that a new
    // file gets.
    bool rename_to(const char* target, const char* named = nullptr);
    // Records that the file is left holding data (for the caller's message).
    void keep() { note_kept(path_.c_str()); }

private:
    bool make(std::string pattern, const char* what, const char* target);

    int fd_ = -1;
    int error_ = 0;
    std::string path_;
};

// A target being written. A regular file (or a new one) is written beside
// it and renamed into place by finish(true), so that a failure or a kill
// leaves what was there; a file of several names is written beside it too,
// and copied into place once whole and once the room for it is reserved in
// the file (a disk too full for it leaves the file as it was and drops the
// new content; if the copy itself fails, the new content stays beside it,
// named by the failure record). A name of one of the process's descriptors
// is written through the descriptor at its position, never truncated.
// Anything else, and a file whose folder takes no file beside it, is written
// through, and truncated (where it is a regular file) only when the first
// byte is written, so that a source that fails at once leaves it as it was.
// A symbolic link is followed to the file it names, which is treated so.
class OutFile : public blocks::Sink {
public:
    OutFile() = default;
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;
    ~OutFile();  // what finish(true) did not put in place is dropped

    // Opens path for writing. The file that `source` reads is refused:
    // writing it would destroy the data about to be read.
    bool create(const char* path, const InFile& source);
    // Writes a duplicate of fd from its start, truncating what was there;
    // a failure is noted as `what` with path (an intermediate file is named
    // by the target it is for, since it is gone when the message is read).
    bool open_fd(int fd, const char* path, const char* what = "cannot write %s");
    bool write(const std::uint8_t* data, std::size_t n) override;
    // Readies the file for writers that bypass write() (pwrite on fd()).
    bool start();
    // Takes room for `size` bytes in a file written beside its target, before
    // any is written: a disk too full for them fails here, with the target
    // as it was, and the writes that follow find their room ready. False, with
    // the failure noted, only when the room is certainly not there; the file
    // ends as long as what write() put in it.
    bool reserve(std::uint64_t size);
    // Ends the writing. With done: puts the new content in place; true if it
    // is there whole. Without: drops it, leaving the target as it was where
    // it was written beside it; false.
    bool finish(bool done);
    int fd() const { return fd_; }
    // Whether it is written beside the target (a new, empty regular file).
    bool staged() const { return staged_.made(); }
    // Notes a write error made by a writer that bypassed write(); false.
    bool fail_write(int error);

private:
    // How copying the new content into a file of several names ended.
    enum class Placed {
        whole,    // the file holds it
        no_room,  // the disk can't take it: the file is as it was
        failed,   // the file may be damaged; the new content is still beside it
    };
    // What reach_target found.
    enum class Reached {
        failed,  // the failure is noted
        source,  // the target is the file that the source reads
        ready,
    };
    void reset(const char* path);
    // Opens a target written through (or the descriptor it names), and
    // tells whether the target is the file that `source` reads.
    Reached reach_target(Target kind, const InFile& source);
    bool open_through();
    bool open_descriptor();
    Placed copy_into_place();
    void cut_to_written();

    int fd_ = -1;  // the target's, or staged_'s
    std::string path_;  // as the caller named it, for messages
    std::string real_;  // the file it reaches (resolved_target)
    const char* write_what_ = "cannot write %s";
    bool copy_back_ = false;  // staged_ is copied into real_ rather than renamed
    TempFile staged_;
    bool ok_ = true;
    bool truncate_pending_ = false;
    bool reserved_ = false;  // room was asked for: cut back to what was written when finished
};

// Opens source, then target, and runs codec(Source&, Sink&) from one to the
// other: false if a file can't be opened, read or written. The target is not
// touched when the source can't be opened.
// `same_size`: the codec writes as many bytes as it reads, so the target's
// room is reserved first (OutFile::reserve).
template <class Codec>
bool transform_file(const char* source, const char* target, Codec&& codec, bool same_size = false) {
    InFile in;
    if (!in.open(source)) return false;
    OutFile out;
    if (!out.create(target, in)) return false;
    if (same_size && !out.reserve(in.size())) return out.finish(false);
    const bool done = codec(static_cast<blocks::Source&>(in), static_cast<blocks::Sink&>(out));
    return out.finish(done);
}

}  // namespace versos::fileio
