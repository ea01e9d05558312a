// What the file clipboard asks of the system: one function for each
// operation that differs, defined in clipboard_file_posix.cpp and
// clipboard_file_windows.cpp. Names are UTF-8; files are the C runtime's
// descriptors, so that the reads are the same on both systems.
#pragma once

#include <cstddef>
#include <string>

namespace versos::file_clipboard {

// Appended to the clipboard's path for the temporary file of a write; the
// X's stand for what makes the name unique.
inline constexpr char kTempSuffix[] = ".XXXXXX";

// The folder of `path` into `folder` (as large as `path`): "." for a bare
// name, the root for a name in the root.
void folder_of(const char* path, char* folder);

enum class Entry { missing, regular, other, error };

// What is at `path`, the name itself: a link is not followed, and nothing is
// opened, since opening a device or a FIFO may act on it. `why`, when given,
// says what for `other` and `error`.
Entry look_at(const char* path, std::string* why);

// Opens `path` only if it is a regular file, judged on the open file itself
// so that a name swapped after a look is caught all the same: for reading,
// or with `create` for reading and writing, made when missing. Returns -1,
// with `why` (when given) set, otherwise; `missing` (when given) tells that
// nothing was there.
int open_regular(const char* path, bool create, std::string* why, bool* missing);

// Takes an exclusive lock on an open file without waiting: false when
// another holds it. Closing the file releases it.
bool lock_now(int fd);
void close_file(int fd);

// Removes the name `path` (what it names, not what a link points to).
void remove_name(const char* path);

// Writes `length` bytes into a new file of this user beside `path` (its
// path with kTempSuffix) and puts it in place of `path` whole; on failure
// nothing is left beside it.
bool replace_with(const char* path, const char* text, std::size_t length);

// False when the folder's file system refuses `name` as too long.
bool name_fits(const char* name);

// Whether `folder` is there, a folder; `why` says what failed otherwise.
bool folder_exists(const char* folder, std::string* why);

// Makes `folder` private to this user when missing (mode 0700), and refuses
// it unless it is a real folder of this user.
bool private_folder(const char* folder, std::string* why);

}  // namespace versos::file_clipboard
