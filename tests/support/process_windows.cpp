// Runs a program on Windows: CreateProcessW with pipes for the standard
// streams, each output pipe drained by a thread of its own.
#include "tests/support/process.h"

#include <gtest/gtest.h>

#include <io.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

namespace versos::testing {
namespace {

std::wstring wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

// One argument as the C runtime's parser reads it back.
void append_quoted(std::wstring& line, const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += arg;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

void drain(HANDLE pipe, std::string& sink) {
    char block[65536];
    DWORD n;
    while (ReadFile(pipe, block, sizeof block, &n, nullptr) && n > 0) sink.append(block, n);
    CloseHandle(pipe);
}

using Clock = std::chrono::steady_clock;

}  // namespace

ProcessResult run_program(const std::vector<std::string>& argv, const ProcessOptions& options) {
    ProcessResult result;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE in_read, in_write, out_read, out_write, err_read = nullptr, err_write = nullptr;
    if (!CreatePipe(&in_read, &in_write, &inherited, 0) || !CreatePipe(&out_read, &out_write, &inherited, 0) ||
        (options.stderr_fd < 0 && !CreatePipe(&err_read, &err_write, &inherited, 0))) {
        ADD_FAILURE() << "CreatePipe: " << GetLastError();
        return result;
    }
    SetHandleInformation(in_write, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
    if (err_read != nullptr) SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);
    HANDLE err_target = err_write;
    if (options.stderr_fd >= 0) {
        DuplicateHandle(GetCurrentProcess(), reinterpret_cast<HANDLE>(_get_osfhandle(options.stderr_fd)),
                        GetCurrentProcess(), &err_target, 0, TRUE, DUPLICATE_SAME_ACCESS);
    }

    std::wstring line;
    for (const std::string& arg : argv) {
        if (!line.empty()) line += L' ';
        append_quoted(line, wide(arg));
    }
    std::wstring block;
    for (const std::string& entry : options.env) block += wide(entry) + L'\0';
    block += L'\0';

    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = in_read;
    start.hStdOutput = out_write;
    start.hStdError = err_target;
    PROCESS_INFORMATION child{};
    const auto began = Clock::now();
    const bool started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, block.data(), nullptr,
                                        &start, &child) != 0;
    const DWORD start_error = GetLastError();
    CloseHandle(in_read);
    CloseHandle(out_write);
    CloseHandle(err_target);
    if (!started) {
        ADD_FAILURE() << argv[0] << ": CreateProcessW failed: " << start_error;
        CloseHandle(in_write);
        CloseHandle(out_read);
        if (err_read != nullptr) CloseHandle(err_read);
        return result;
    }
    std::thread out_thread(drain, out_read, std::ref(result.out));
    std::thread err_thread;
    if (err_read != nullptr) err_thread = std::thread(drain, err_read, std::ref(result.err));
    DWORD written;
    const char* p = options.input.data();
    std::size_t left = options.input.size();
    while (left > 0 && WriteFile(in_write, p, static_cast<DWORD>(left), &written, nullptr)) {
        p += written;
        left -= written;
    }
    CloseHandle(in_write);

    const DWORD waited = WaitForSingleObject(child.hProcess, static_cast<DWORD>(options.timeout * 1000));
    if (waited != WAIT_OBJECT_0) {
        result.timed_out = true;
        TerminateProcess(child.hProcess, 1);
        WaitForSingleObject(child.hProcess, INFINITE);
    }
    out_thread.join();
    if (err_thread.joinable()) err_thread.join();
    DWORD status = 0;
    GetExitCodeProcess(child.hProcess, &status);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    result.seconds = std::chrono::duration<double>(Clock::now() - began).count();
    result.status = result.timed_out ? -1 : static_cast<int>(status);
    return result;
}

}  // namespace versos::testing
