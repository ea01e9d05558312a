// Files for the library's file routines: opened as the routines need them,
// read and written a block at a time with read(2) and write(2), temporary
// files from mkstemp, and a record of the first failure, which ficheros uses
// to name the file in its message.
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
// "cannot open 'x' for reading: No such file or directory"
std::string describe(const Failure& f);

// Told after every block read from a file, and once more at its end, with
// the bytes read so far and the file's size (0 when it has none, as a pipe).
using ProgressObserver = void (*)(const char* path, std::uint64_t done, std::uint64_t total);
void set_progress_observer(ProgressObserver observer);

class InFile : public blocks::Source {
public:
    InFile() = default;
    InFile(const InFile&) = delete;
    InFile& operator=(const InFile&) = delete;
    ~InFile();

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

class OutFile : public blocks::Sink {
public:
    OutFile() = default;
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;
    ~OutFile();

    // Creates or truncates path. The file that `source` reads is refused:
    // truncating it would destroy the data about to be read.
    bool create(const char* path, const InFile& source);
    // Writes a duplicate of fd from its start, truncating what was there.
    bool open_fd(int fd, const char* path);
    bool write(const std::uint8_t* data, std::size_t n) override;
    // Closes the file: false if a write or the close itself failed.
    bool close();
    int fd() const { return fd_; }
    // Notes a write error made by a writer that bypassed write(); false.
    bool fail_write(int error);

private:
    int fd_ = -1;
    std::string path_;
    bool ok_ = true;
};

// An intermediate file made by mkstemp in the folder of the file it is for,
// so that renaming it there never crosses file systems.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();  // closes it; the file itself stays unless removed or renamed

    bool make_beside(const char* target);
    const char* path() const { return path_.c_str(); }
    int fd() const { return fd_; }
    bool remove();
    // Renames it onto target, with the permissions that the target has, or
    // that a newly created file gets.
    bool rename_to(const char* target);
    // Records that the file is left holding data (for the caller's message).
    void keep() { note_kept(path_.c_str()); }

private:
    int fd_ = -1;
    std::string path_;
};

// Opens source, then target (created or truncated), and runs
// codec(Source&, Sink&) from one to the other: false if a file can't be
// opened, read or written. The target is not touched when the source can't
// be opened.
template <class Codec>
bool transform_file(const char* source, const char* target, Codec&& codec) {
    InFile in;
    if (!in.open(source)) return false;
    OutFile out;
    if (!out.create(target, in)) return false;
    const bool done = codec(static_cast<blocks::Source&>(in), static_cast<blocks::Sink&>(out));
    return out.close() && done;
}

}  // namespace versos::fileio
