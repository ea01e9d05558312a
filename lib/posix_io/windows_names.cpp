#include "windows_names.h"

#include <windows.h>

#include <cerrno>

#include "lib/charsets/cp1252.h"

namespace versos::windows {
namespace {

constexpr std::size_t kClassicLimit = MAX_PATH - 12;  // room for the 8.3 name a folder's child may need

std::wstring from_cp1252(const char* name, std::size_t length) {
    std::wstring wide;
    wide.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        const char32_t c = cp1252_code_point(static_cast<unsigned char>(name[i]));
        wide.push_back(static_cast<wchar_t>(c));
    }
    return wide;
}

std::wstring from_utf8_or_cp1252(const char* name) {
    const int length = static_cast<int>(std::char_traits<char>::length(name));
    if (length == 0) return {};
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, length, nullptr, 0);
    if (n <= 0) return from_cp1252(name, static_cast<std::size_t>(length));
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, length, wide.data(), n);
    return wide;
}

bool has_long_prefix(const std::wstring& path) { return path.rfind(L"\\\\?\\", 0) == 0; }

// The absolute form with the \\?\ prefix, under which Windows takes the name
// as it is: so "." and ".." are resolved and '/' turned into '\' first.
std::wstring long_form(const std::wstring& path) {
    const DWORD need = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (need == 0) return path;
    std::wstring full(need, L'\0');
    const DWORD got = GetFullPathNameW(path.c_str(), need, full.data(), nullptr);
    if (got == 0 || got >= need) return path;
    full.resize(got);
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share
    return L"\\\\?\\" + full;
}

}  // namespace

std::wstring wide_path(const char* name) {
    std::wstring wide = from_utf8_or_cp1252(name);
    if (wide.size() < kClassicLimit || has_long_prefix(wide)) return wide;
    return long_form(wide);
}

std::string utf8_from_wide(const wchar_t* text, std::size_t length) {
    if (length == 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr, nullptr);
    return out;
}

std::string utf8_from_wide(const wchar_t* text) { return utf8_from_wide(text, std::char_traits<wchar_t>::length(text)); }

int errno_from_windows(unsigned long error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_CURRENT_DIRECTORY:
            return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_INVALID_HANDLE:
            return EBADF;
        case ERROR_DIR_NOT_EMPTY:
            return ENOTEMPTY;
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_PARAMETER:
            return EINVAL;
        case ERROR_TOO_MANY_OPEN_FILES:
            return EMFILE;
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA:
            return EPIPE;
        default:
            return EIO;
    }
}

}  // namespace versos::windows
