#include "file_open.h"

#include <windows.h>

#include "lib/posix_io/windows_names.h"

namespace versos::detail {

std::FILE* open_for_reading(const char* path) {
    const std::wstring wide = windows::wide_path(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
    return _wfopen(wide.c_str(), L"rb");
}

bool name_taken(const char* name) {
    const std::wstring wide = windows::wide_path(name);
    if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = GetLastError();
    // A name Windows can't look at (no access) is taken too.
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return true;
    // So is a link to nothing: its folder lists it (a name with wildcards
    // can't be a file's).
    if (wide.find_first_of(L"*?") != std::wstring::npos) return false;
    WIN32_FIND_DATAW entry;
    const HANDLE found = FindFirstFileExW(wide.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (found == INVALID_HANDLE_VALUE) return false;
    FindClose(found);
    return true;
}

}  // namespace versos::detail
