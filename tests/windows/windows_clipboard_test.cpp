// What only the Windows build has: versos.exe is a windowless program whose
// fragment stays on the Windows clipboard in both text formats after it has
// ended, written even while another program holds the clipboard for a
// moment; versos-pegar.exe reads the Unicode text, never the code-page text
// Windows makes from it. The runs on the file clipboard are the command's
// own tests, run here too.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "tests/windows/windows_programs.h"

namespace versos::testing {
namespace {

class WindowsClipboardRuns : public ::testing::Test {
protected:
    // The Windows clipboard serves every run: no file clipboard is named.
    void SetUp() override { SetEnvironmentVariableW(L"VERSOS_CLIPBOARD_FILE", nullptr); }

    DWORD versos(const std::vector<std::string>& args) {
        const WindowsRun run = run_windows_program(VERSOS_BIN, args);
        EXPECT_EQ(run.out, "") << "versos wrote on standard output";
        return run.status;
    }
};

WORD subsystem_of(const char* program) {
    std::ifstream file(program, std::ios::binary);
    const std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    IMAGE_DOS_HEADER dos;
    IMAGE_NT_HEADERS64 nt;
    if (image.size() < sizeof dos) return 0;
    std::memcpy(&dos, image.data(), sizeof dos);
    const std::size_t at = static_cast<std::size_t>(dos.e_lfanew);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || image.size() < at + sizeof nt) return 0;
    std::memcpy(&nt, image.data() + at, sizeof nt);
    return nt.Signature == IMAGE_NT_SIGNATURE ? nt.OptionalHeader.Subsystem : 0;
}

TEST(WindowsPrograms, VersosIsWindowlessAndPegarAConsoleProgram) {
    EXPECT_EQ(subsystem_of(VERSOS_BIN), IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_EQ(subsystem_of(PEGAR_BIN), IMAGE_SUBSYSTEM_WINDOWS_CUI);
}

TEST_F(WindowsClipboardRuns, FragmentStaysInBothFormatsAfterTheRun) {
    set_clipboard("earlier", std::nullopt);
    ASSERT_EQ(versos({"A", "1"}), 0u);
    EXPECT_EQ(clipboard_bytes(CF_TEXT),
              "s\xFA"
              "bita tormenta")
        << "the exact Windows-1252 bytes";
    EXPECT_EQ(clipboard_letters(), u"s\u00FAbita tormenta") << "the same letters as Unicode text";

    ASSERT_EQ(versos({"w", "1"}), 0u);
    EXPECT_EQ(clipboard_bytes(CF_TEXT), "") << "an empty text is still an item";
    EXPECT_EQ(clipboard_letters(), u"");

    EXPECT_EQ(versos({"F", "1"}), 1u);
    EXPECT_FALSE(clipboard_bytes(CF_TEXT).has_value()) << "an unknown mode leaves the clipboard emptied";
    EXPECT_FALSE(clipboard_letters().has_value());

    set_clipboard("earlier", std::nullopt);
    EXPECT_EQ(versos({"A"}), 1u);
    EXPECT_EQ(clipboard_bytes(CF_TEXT), "earlier") << "a wrong argument count touches nothing";
}

// A clipboard manager or a reader holds the clipboard only for a moment:
// versos waits for it rather than losing the fragment; one that never lets
// go within the run leaves the clipboard as it was, and the status 0.
TEST_F(WindowsClipboardRuns, HolderForAMomentDelaysTheFragment) {
    // The holder opens with a window of its own, as a clipboard manager does
    // (Wine lets two openers without a window share it).
    const HWND holder =
        CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(holder, nullptr);
    set_clipboard("earlier", std::nullopt);
    ASSERT_TRUE(OpenClipboard(holder));
    HANDLE out = nullptr;
    const PROCESS_INFORMATION run = start_program(VERSOS_BIN, {"k", "1"}, &out);
    Sleep(300);  // versos starts and finds the clipboard held, or starts after; both must end with "un"
    CloseClipboard();
    ASSERT_EQ(WaitForSingleObject(run.hProcess, 30000), WAIT_OBJECT_0);
    DWORD status = 0;
    GetExitCodeProcess(run.hProcess, &status);
    CloseHandle(run.hProcess);
    CloseHandle(run.hThread);
    CloseHandle(out);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(clipboard_bytes(CF_TEXT), "un");

    ASSERT_TRUE(OpenClipboard(holder));
    const DWORD held_status = versos({"k", "0"});  // "el" had it been written
    CloseClipboard();
    EXPECT_EQ(held_status, 0u);
    EXPECT_EQ(clipboard_bytes(CF_TEXT), "un") << "a clipboard held for the whole run is left as it was";
    DestroyWindow(holder);
}

TEST_F(WindowsClipboardRuns, PegarReadsTheUnicodeText) {
    // A code-page text that differs from the Unicode one: versos-pegar must
    // print the Unicode letters, and for -r convert them itself.
    set_clipboard("otra cosa", u"a\u00F1orado \u20AC \u263A");
    WindowsRun run = run_windows_program(PEGAR_BIN, {});
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.out, "a\xC3\xB1orado \xE2\x82\xAC \xE2\x98\xBA");
    run = run_windows_program(PEGAR_BIN, {"-r"});
    EXPECT_EQ(run.status, 0u);
    EXPECT_EQ(run.out, "a\xF1orado \x80 ?") << "Windows-1252, '?' for a letter it lacks";

    set_clipboard(std::nullopt, std::nullopt);
    run = run_windows_program(PEGAR_BIN, {});
    EXPECT_EQ(run.status, 1u);
    EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace versos::testing
