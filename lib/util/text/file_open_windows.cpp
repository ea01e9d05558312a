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
    // A name Windows can't look at (a device, no access) is taken too.
    const DWORD attributes = GetFileAttributesW(windows::wide_path(name).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

}  // namespace versos::detail
