// The file clipboard's system calls on Windows: UTF-8 names as UTF-16 (long
// ones with the \\?\ prefix), LockFileEx for the lock, a new file beside the
// clipboard put in place with MoveFileExW. A reparse point (a symbolic link
// or a junction) is never followed; files are opened sharing reading,
// writing and deleting, as a POSIX open would.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/clipboard/file/clipboard_file.h"
#include "core/clipboard/file/clipboard_file_system.h"
#include "lib/posix_io/posix_io.h"
#include "lib/posix_io/windows_errors.h"
#include "lib/posix_io/windows_names.h"

namespace versos {
namespace file_clipboard {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string failed(const char* path, DWORD error) { return std::string(path) + ": " + windows::error_text(error); }

std::string not_regular(const char* path, const char* kind) {
    return std::string(path) + ": not a regular file (" + kind + ")";
}

bool is_missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// What a file's attributes make it, when not a regular file.
const char* odd_kind(DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return "a symbolic link or junction";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "a folder";
    if (attributes & FILE_ATTRIBUTE_DEVICE) return "a device";
    return nullptr;
}

// A C runtime descriptor that owns `handle`.
int descriptor_of(HANDLE handle, int flags) {
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0) CloseHandle(handle);
    return fd;
}

}  // namespace

void folder_of(const char* path, char* folder) {
    std::strcpy(folder, path);
    char* slash = std::strrchr(folder, '/');
    char* backslash = std::strrchr(folder, '\\');
    if (backslash != nullptr && (slash == nullptr || backslash > slash)) slash = backslash;
    if (slash == nullptr) {
        // "C:clipboard" is in the current folder of drive C
        if (folder[0] != '\0' && folder[1] == ':')
            folder[2] = '\0';
        else
            std::strcpy(folder, ".");
    } else if (slash == folder || (slash == folder + 2 && folder[1] == ':')) {
        slash[1] = '\0';  // a file in a root: "\", "C:\"
    } else {
        *slash = '\0';
    }
}

Entry look_at(const char* path, std::string* why) {
    const DWORD attributes = GetFileAttributesW(windows::wide_path(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (is_missing(error)) return Entry::missing;
        if (why) *why = failed(path, error);
        return Entry::error;
    }
    const char* kind = odd_kind(attributes);
    if (kind == nullptr) return Entry::regular;
    if (why) *why = not_regular(path, kind);
    return Entry::other;
}

int open_regular(const char* path, bool create, std::string* why, bool* missing) {
    if (missing) *missing = false;
    if (look_at(path, why) == Entry::other) return -1;
    const DWORD access = create ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const HANDLE handle = CreateFileW(windows::wide_path(path).c_str(), access, kShareAll, nullptr,
                                      create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (why) *why = failed(path, error);
        if (missing) *missing = is_missing(error);
        return -1;
    }
    // Judged on the open file: a disk file, neither folder nor link. A
    // device name (NUL, CON) opens a device, never a disk file.
    BY_HANDLE_FILE_INFORMATION info;
    const char* kind = "a device";
    if (GetFileType(handle) == FILE_TYPE_DISK) {
        kind = GetFileInformationByHandle(handle, &info) ? odd_kind(info.dwFileAttributes) : "unreadable";
        if (kind == nullptr) return descriptor_of(handle, create ? _O_RDWR : _O_RDONLY);
    }
    if (why) *why = not_regular(path, kind);
    CloseHandle(handle);
    return -1;
}

bool lock_now(int fd) {
    OVERLAPPED first_byte{};
    return LockFileEx(reinterpret_cast<HANDLE>(::_get_osfhandle(fd)),
                      LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &first_byte) != 0;
}

void close_file(int fd) { ::_close(fd); }

void remove_name(const char* path) { DeleteFileW(windows::wide_path(path).c_str()); }

bool replace_with(const char* path, const char* text, std::size_t length) {
    // A new name each try, made only if nothing has it (CREATE_NEW), in the
    // clipboard's own folder, so that the move never crosses volumes.
    char temp[kClipboardPathMax];
    std::wstring wide_temp;
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
        const unsigned tag = (GetCurrentProcessId() * 7919u + GetTickCount() + attempt * 104729u) % 1000000u;
        std::snprintf(temp, sizeof temp, "%s.%06u", path, tag);
        wide_temp = windows::wide_path(temp);
        handle = CreateFileW(wide_temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (handle == INVALID_HANDLE_VALUE) return false;
    const int fd = descriptor_of(handle, _O_WRONLY);
    if (fd < 0) {
        DeleteFileW(wide_temp.c_str());
        return false;
    }
    const bool written = posix_io::write_all(fd, text, length);
    const bool closed = ::_close(fd) == 0;
    if (written && closed &&
        MoveFileExW(wide_temp.c_str(), windows::wide_path(path).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(wide_temp.c_str());
    return false;
}

bool name_fits(const char* name) {
    return GetFileAttributesW(windows::wide_path(name).c_str()) != INVALID_FILE_ATTRIBUTES ||
           GetLastError() != ERROR_FILENAME_EXCED_RANGE;
}

bool folder_exists(const char* folder, std::string* why) {
    const DWORD attributes = GetFileAttributesW(windows::wide_path(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    if (why) *why = failed(folder, ERROR_PATH_NOT_FOUND);
    return false;
}

// Windows gives each user a folder of their own (%LOCALAPPDATA%), whose
// permissions the folder made in it inherits.
bool private_folder(const char* folder, std::string* why) {
    const std::wstring wide = windows::wide_path(folder);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    if (why) *why = error == ERROR_ALREADY_EXISTS ? std::string(folder) + ": not a folder" : failed(folder, error);
    return false;
}

}  // namespace file_clipboard

std::string named_clipboard_file() {
    const wchar_t* named = _wgetenv(L"VERSOS_CLIPBOARD_FILE");
    return named != nullptr ? windows::utf8_from_wide(named) : "";
}

bool default_clipboard_path(char* out, std::size_t size) {
    const wchar_t* own = _wgetenv(L"LOCALAPPDATA");
    if (own == nullptr || own[0] == L'\0') own = _wgetenv(L"TEMP");
    if (own == nullptr || own[0] == L'\0') return false;
    const int n = std::snprintf(out, size, "%s\\versos\\clipboard", windows::utf8_from_wide(own).c_str());
    return n >= 0 && static_cast<std::size_t>(n) < size;
}

}  // namespace versos
