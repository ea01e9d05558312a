// Runs a program of the Windows build and reads the Windows clipboard, for
// the tests of what only that build has.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace versos::testing {

struct WindowsRun {
    DWORD status = 0xFFFFFFFF;
    std::string out;  // standard output, the bytes as written
};

// Starts `program` with `args` (each quoted), standard output into a pipe,
// standard error into NUL.
// The process handle is returned to wait on; `out_pipe` reads its output.
PROCESS_INFORMATION start_program(const std::string& program, const std::vector<std::string>& args, HANDLE* out_pipe);

// Runs `program` to its end: exit status and standard output.
WindowsRun run_windows_program(const std::string& program, const std::vector<std::string>& args);

// The clipboard's item of `format` (CF_TEXT: its bytes; CF_UNICODETEXT: its
// UTF-16 units as they are, two bytes each), up to the NUL; nothing when the
// clipboard has no such item.
std::optional<std::string> clipboard_bytes(UINT format);
std::optional<std::u16string> clipboard_letters();

// Replaces the clipboard's content by the given items (none when both are
// empty optionals).
void set_clipboard(const std::optional<std::string>& text, const std::optional<std::u16string>& letters);

}  // namespace versos::testing
