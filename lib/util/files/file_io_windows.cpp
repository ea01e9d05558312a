// The file routines' files on Windows, through its own calls: names in
// UTF-8 become UTF-16 at each call (windows_names.h); a file is one of the C
// runtime's descriptors over a handle opened by CreateFileW, in binary mode;
// a target is replaced by MoveFileExW with MOVEFILE_REPLACE_EXISTING and
// MOVEFILE_WRITE_THROUGH. That one rename either happens or does not, so a
// failure or a kill leaves the target whole, old or new; ReplaceFileW would
// keep the target's security and more, but it works in several steps, and
// its own failures (ERROR_UNABLE_TO_MOVE_REPLACEMENT) may leave the target
// under another name. The new file is made in the target's folder, so it
// takes the security that folder gives, as the target did, and is given the
// target's attributes before the rename. "The same file" is the volume's
// serial number and the file index, never the C runtime's st_ino (always 0).
#include "file_io.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <utility>

#include "file_calls.h"
#include "lib/posix_io/posix_io.h"
#include "lib/posix_io/windows_names.h"

namespace versos::fileio {
namespace {

using windows::wide_path;

int last_errno() { return windows::errno_from_windows(GetLastError()); }

HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

// A descriptor over the handle, which it then owns; -1 (the handle closed)
// when the C runtime has no room for it.
int descriptor_for(HANDLE h, int flags) {
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), flags | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) {
        CloseHandle(h);
        errno = EMFILE;
    }
    return fd;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE open_handle(const char* path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0) {
    return CreateFileW(wide_path(path).c_str(), access, share, nullptr, disposition, flags | FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

struct Identity {
    DWORD volume = 0, high = 0, low = 0, links = 0, attributes = 0;
    bool operator==(const Identity& o) const { return volume == o.volume && high == o.high && low == o.low; }
};

bool identity_of(HANDLE h, Identity& id) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info)) return false;
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, info.nNumberOfLinks,
          info.dwFileAttributes};
    return true;
}

// A regular file's identity by name (folders too); false for a device or a
// pipe, or where nothing is there.
bool identity_of(const char* path, Identity& id) {
    const HANDLE h = open_handle(path, 0, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileType(h) == FILE_TYPE_DISK && identity_of(h, id);
    CloseHandle(h);
    return known;
}

bool read_only(const char* path) {
    const DWORD attributes = GetFileAttributesW(wide_path(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool is_disk_file(int fd) { return fd >= 0 && GetFileType(handle_of(fd)) == FILE_TYPE_DISK; }

// Eight letters and digits for a temporary name: no other process can guess
// them, and CREATE_NEW refuses a name that is taken anyway.
std::string random_suffix() {
    static thread_local std::mt19937_64 draw{std::random_device{}() ^ (static_cast<std::uint64_t>(GetCurrentProcessId()) << 32) ^
                                             GetTickCount64()};
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string s(8, ' ');
    for (char& c : s) c = kLetters[draw() % (sizeof kLetters - 1)];
    return s;
}

std::string temp_folder() {
    wchar_t buf[MAX_PATH + 2];
    const DWORD n = GetTempPathW(MAX_PATH + 2, buf);
    if (n == 0 || n > MAX_PATH + 1) return ".\\";
    return windows::utf8_from_wide(buf, n);
}

}  // namespace

namespace sys {

bool close_file(int fd) { return ::_close(fd) == 0; }

int duplicate(int fd) { return ::_dup(fd); }

bool seek_to(int fd, std::uint64_t at) { return ::_lseeki64(fd, static_cast<long long>(at), SEEK_SET) >= 0; }

bool cut_to(int fd, std::uint64_t size) {
    const HANDLE h = handle_of(fd);
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (SetFileInformationByHandle(h, FileEndOfFileInfo, &end, sizeof end)) return true;
    errno = last_errno();
    return false;
}

std::int64_t position(int fd) { return ::_lseeki64(fd, 0, SEEK_CUR); }

std::uint64_t regular_size(int fd) {
    LARGE_INTEGER size;
    return is_disk_file(fd) && GetFileSizeEx(handle_of(fd), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

int take_room(int fd, std::uint64_t size) {
    // The room is taken without moving the end of the file; a volume without
    // it fails here, with the target as it was.
    FILE_ALLOCATION_INFO room{};
    room.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
    if (SetFileInformationByHandle(handle_of(fd), FileAllocationInfo, &room, sizeof room)) return 0;
    const DWORD error = GetLastError();
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL || error == ERROR_FILE_TOO_LARGE ? ENOSPC : 0;
}

int rename_over(const char* from, const char* to) {
    if (MoveFileExW(wide_path(from).c_str(), wide_path(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;
    return last_errno();
}

}  // namespace sys

std::string resolved_target(const char* path) {
    // Windows follows a link when the file is opened, and MoveFileExW
    // replaces the link itself; links are rare there, and taken as files.
    return path;
}

Target target_kind(const char* path) {
    // Opened for writing, as another program may share it: a file another
    // program holds without sharing, or that may not be written (read-only,
    // or its security says so) is written through, and opening it says why.
    // A device (NUL, CON) is written through too.
    if (read_only(path)) return Target::through;
    const HANDLE h = open_handle(path, GENERIC_WRITE, kShareAll, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return Target::fresh;
        const DWORD attributes = GetFileAttributesW(wide_path(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return Target::folder;
        return Target::through;
    }
    Identity id;
    const bool disk = GetFileType(h) == FILE_TYPE_DISK && identity_of(h, id);
    CloseHandle(h);
    if (!disk) return Target::through;
    return id.links > 1 ? Target::several : Target::replaceable;
}

bool take_place_attributes(int fd, const char* target) {
    // The target's attributes (hidden, system, archive, ...) go with its new
    // content, as the POSIX build keeps a file's mode.
    const DWORD attributes = GetFileAttributesW(wide_path(target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                             FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
        if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(handle_of(fd), FileBasicInfo, &basic, sizeof basic);
    }
    return true;
}

bool same_file(const char* a, const char* b) {
    Identity ia, ib;
    return identity_of(a, ia) && identity_of(b, ib) && ia == ib;
}

bool survives_failed_write(const char* source, const char* target) {
    Identity in, out;
    if (!identity_of(source, in) || (in.attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    return target_kind(target) != Target::through || !identity_of(target, out) || !(in == out);
}

bool read_once_only(const char* path) {
    const HANDLE h = open_handle(path, 0, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool stream = GetFileType(h) != FILE_TYPE_DISK;
    CloseHandle(h);
    return stream;
}

std::string error_text(int error) {
    if (error == 0) return {};
    char buf[256];
    if (strerror_s(buf, sizeof buf, error) != 0) return "error " + std::to_string(error);
    return buf;
}

bool InFile::open(const char* path) {
    const std::wstring wide = wide_path(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        note_failure("cannot read %s", path, EISDIR);
        return false;
    }
    const HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    const int fd = h == INVALID_HANDLE_VALUE ? (errno = last_errno(), -1) : descriptor_for(h, _O_RDONLY);
    if (fd < 0) {
        note_failure("cannot open %s for reading", path, errno);
        return false;
    }
    return start(fd, path);
}

// No room is reserved ahead here (reserve_room): a full disk is found by
// the writes, and the new content is then kept beside the file.
OutFile::Placed OutFile::copy_into_place() {
    // The file keeps its index, and with it its other names and security;
    // only a failure here can touch it.
    const int from = staged_.fd();
    const HANDLE h = open_handle(real_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    const int to = h == INVALID_HANDLE_VALUE ? (errno = last_errno(), -1) : descriptor_for(h, _O_WRONLY);
    if (to < 0) {
        note_failure("cannot open %s for writing", path_.c_str(), errno);
        return Placed::failed;
    }
    blocks::Buffer buf = blocks::make_buffer(blocks::kBlockSize);
    bool copied = buf != nullptr;
    int error = copied ? 0 : ENOMEM;
    std::uint64_t at = 0;
    while (copied) {
        const std::ptrdiff_t n = posix_io::pread_full(from, buf.get(), blocks::kBlockSize, at);
        if (n < 0) {
            note_failure("cannot read %s", staged_.path(), errno);
            ::_close(to);
            return Placed::failed;
        }
        if (n == 0) break;
        copied = posix_io::pwrite_all(to, buf.get(), static_cast<std::size_t>(n), at);
        if (!copied) error = errno;
        at += static_cast<std::uint64_t>(n);
    }
    if (copied && !sys::cut_to(to, at)) copied = false, error = errno;
    if (::_close(to) != 0 && copied) copied = false, error = errno;
    if (!copied) note_failure("cannot write %s", path_.c_str(), error);
    return copied ? Placed::whole : Placed::failed;
}

bool OutFile::open_through() {
    // A read-only file is refused as Windows refuses it to everyone (Wine,
    // run as root, would let it be written).
    if (read_only(real_.c_str())) {
        note_failure("cannot open %s for writing", path_.c_str(), EACCES);
        return false;
    }
    // Not emptied yet: nothing in it is lost before the source has given a
    // byte. Others may read and write it meanwhile, as on POSIX systems.
    const HANDLE h = open_handle(real_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
    fd_ = h == INVALID_HANDLE_VALUE ? (errno = last_errno(), -1) : descriptor_for(h, _O_WRONLY);
    if (fd_ < 0) {
        note_failure("cannot open %s for writing", path_.c_str(), errno);
        return false;
    }
    truncate_pending_ = is_disk_file(fd_);
    return true;
}

OutFile::Reached OutFile::reach_target(Target kind, const InFile& source) {
    Identity in, out;
    const bool source_known = is_disk_file(source.fd()) && identity_of(handle_of(source.fd()), in);
    bool target_known = false;
    if (kind == Target::through) {
        if (!open_through()) return Reached::failed;
        target_known = is_disk_file(fd_) && identity_of(handle_of(fd_), out);
    } else if (kind != Target::fresh) {
        target_known = identity_of(real_.c_str(), out);
    }
    return source_known && target_known && in == out ? Reached::source : Reached::ready;
}

bool TempFile::make(std::string pattern, const char* what, const char* target) {
    // pattern ends in XXXXXX, replaced by letters until a name is free.
    sys::close_quietly(fd_);
    const std::string stem = pattern.substr(0, pattern.size() - 6);
    for (int tries = 0; tries < 100; ++tries) {
        path_ = stem + random_suffix();
        // Shared for deletion, so that it can be removed while open; never
        // inherited by a child.
        const HANDLE h = open_handle(path_.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, CREATE_NEW);
        if (h != INVALID_HANDLE_VALUE) {
            fd_ = descriptor_for(h, _O_RDWR);
            if (fd_ >= 0) return true;
            break;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            errno = last_errno();
            break;
        }
        errno = EEXIST;
    }
    error_ = errno;
    if (what != nullptr) note_failure(what, target, error_);
    path_.clear();
    return false;
}

bool TempFile::make_beside(const char* target, const char* named, const char* what) {
    // Named after the target, so that one left behind is easy to recognise.
    if (named == nullptr) named = target;
    return make(std::string(target) + ".XXXXXX", what, named);
}

bool TempFile::make_for(const char* target, Target kind) {
    if (renamed_into_place(kind)) return make_beside(target);
    const std::string folder = temp_folder();
    return make(folder + "versos.XXXXXX", "cannot create a temporary file in %s", folder.c_str());
}

bool TempFile::remove() {
    if (path_.empty()) return false;
    sys::close_quietly(fd_);  // a file still open is only marked for deletion
    if (!windows::delete_file(path_.c_str())) {
        note_failure("cannot remove %s", path_.c_str(), last_errno());
        return false;
    }
    path_.clear();
    return true;
}

}  // namespace versos::fileio
