// movef_ on Windows: within one volume the file is renamed onto the target
// (MoveFileExW, never copying); across volumes, or onto a target that is
// written through or has several names, copied as copyf_ copies and then
// removed, as on POSIX systems.
#include <versos/util/coding.h>

#include <windows.h>

#include <cerrno>

#include "file_io.h"
#include "lib/posix_io/windows_names.h"

namespace versos {
namespace {

using windows::wide_path;

struct Source {
    bool found = false, regular = false, link = false;
    BY_HANDLE_FILE_INFORMATION info{};
};

// The source itself, a link not followed.
Source look_at(const char* path) {
    Source s;
    const HANDLE h = CreateFileW(wide_path(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                 nullptr);
    if (h == INVALID_HANDLE_VALUE) return s;
    s.found = GetFileInformationByHandle(h, &s.info) != 0;
    s.link = s.found && (s.info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    s.regular = s.found && !s.link && GetFileType(h) == FILE_TYPE_DISK &&
                !(s.info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(h);
    return s;
}

bool same_identity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

int copy_then_remove(const char* source, const char* target, const Source& before) {
    if (!copyf_(source, target)) return 0;
    // What is removed must be the file that was copied.
    const Source after = look_at(source);
    if (!after.found || !same_identity(after.info, before.info)) {
        fileio::note_failure("will not remove %s: it changed while it was copied", source, 0);
        return 0;
    }
    if (!DeleteFileW(wide_path(source).c_str())) {
        fileio::note_failure("cannot remove %s", source, windows::errno_from_windows(GetLastError()));
        return 0;
    }
    return 1;
}

}  // namespace

int movef_(const char* source, const char* target) {
    const Source before = look_at(source);
    if (!before.found) {
        fileio::note_failure("cannot open %s for reading", source, windows::errno_from_windows(GetLastError()));
        return 0;
    }
    if (!before.regular) {
        fileio::note_failure(before.link ? "will not move %s: it is a symbolic link"
                                         : "will not move %s: it is not a regular file",
                             source, 0);
        return 0;
    }
    if (fileio::same_file(source, target)) {
        fileio::note_failure("cannot write %s over itself", target, 0);
        return 0;
    }
    const fileio::Target kind = fileio::target_kind(target);
    if (kind == fileio::Target::folder) {
        fileio::note_failure("cannot open %s for writing", target, EISDIR);
        return 0;
    }
    if (!fileio::renamed_into_place(kind)) return copy_then_remove(source, target, before);
    if (MoveFileExW(wide_path(source).c_str(), wide_path(target).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 1;
    const DWORD error = GetLastError();
    if (error == ERROR_NOT_SAME_DEVICE) return copy_then_remove(source, target, before);
    fileio::note_failure("cannot move %s", source, windows::errno_from_windows(error));
    return 0;
}

}  // namespace versos
