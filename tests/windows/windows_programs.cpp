#include "tests/windows/windows_programs.h"

#include <gtest/gtest.h>

#include <cstring>

namespace versos::testing {
namespace {

std::wstring wide(const std::string& text) {
    std::wstring out;
    for (unsigned char c : text) out += static_cast<wchar_t>(c);  // the tests' names and arguments are ASCII
    return out;
}

bool open_clipboard() {
    for (int tries = 0; tries < 200; ++tries) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(10);
    }
    ADD_FAILURE() << "the test can't open the clipboard: " << GetLastError();
    return false;
}

HGLOBAL block_of(const void* bytes, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    return block;
}

}  // namespace

PROCESS_INFORMATION start_program(const std::string& program, const std::vector<std::string>& args, HANDLE* out_pipe) {
    std::wstring line = L"\"" + wide(program) + L"\"";
    for (const std::string& arg : args) line += L" \"" + wide(arg) + L"\"";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    EXPECT_TRUE(CreatePipe(&read_end, &write_end, &inherit, 0));
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    start.hStdOutput = write_end;
    HANDLE nowhere =
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    start.hStdError = nowhere;  // the messages are the programs' own tests' business
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process))
        << program << ": " << GetLastError();
    CloseHandle(write_end);
    CloseHandle(nowhere);
    *out_pipe = read_end;
    return process;
}

WindowsRun run_windows_program(const std::string& program, const std::vector<std::string>& args) {
    HANDLE out = nullptr;
    const PROCESS_INFORMATION process = start_program(program, args, &out);
    WindowsRun run;
    char block[4096];
    DWORD n = 0;
    while (ReadFile(out, block, sizeof block, &n, nullptr) && n > 0) run.out.append(block, n);
    CloseHandle(out);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0) << program << " did not end";
    GetExitCodeProcess(process.hProcess, &run.status);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return run;
}

std::optional<std::string> clipboard_bytes(UINT format) {
    if (!open_clipboard()) return std::nullopt;
    std::optional<std::string> item;
    if (HANDLE data = GetClipboardData(format)) {
        const char* at = static_cast<const char*>(GlobalLock(data));
        const std::size_t size = GlobalSize(data);
        const std::size_t unit = format == CF_UNICODETEXT ? 2 : 1;
        std::size_t length = 0;
        while (length + unit <= size && std::memcmp(at + length, "\0\0", unit) != 0) length += unit;
        item.emplace(at, length);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return item;
}

std::optional<std::u16string> clipboard_letters() {
    const std::optional<std::string> bytes = clipboard_bytes(CF_UNICODETEXT);
    if (!bytes) return std::nullopt;
    std::u16string letters(bytes->size() / 2, u'\0');
    std::memcpy(letters.data(), bytes->data(), bytes->size());
    return letters;
}

void set_clipboard(const std::optional<std::string>& text, const std::optional<std::u16string>& letters) {
    if (!open_clipboard()) return;
    EmptyClipboard();
    if (text) {
        EXPECT_NE(SetClipboardData(CF_TEXT, block_of(text->c_str(), text->size() + 1)), nullptr);
    }
    if (letters) {
        EXPECT_NE(SetClipboardData(CF_UNICODETEXT, block_of(letters->c_str(), (letters->size() + 1) * 2)), nullptr);
    }
    CloseClipboard();
}

}  // namespace versos::testing
