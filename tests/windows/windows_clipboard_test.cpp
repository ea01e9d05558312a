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

#include "tests/support/process.h"
#include "tests/windows/windows_clipboard.h"

namespace versos::testing {
namespace {

class WindowsClipboardRuns : public ::testing::Test {
protected:
    // The desktop first: under Wine the process that makes it also runs the
    // bridge to the X clipboard; made here, before any test, it does not
    // start in the middle of one.
    static void SetUpTestSuite() { GetDesktopWindow(); }

    // The Windows clipboard serves every run: no file clipboard is named.
    const std::vector<std::string> env = environment_with({}, {"VERSOS_CLIPBOARD_FILE"});

    int versos(const std::vector<std::string>& args) {
        const ProcessResult run = run_program(VERSOS_BIN, args, env);
        EXPECT_EQ(run.out + run.err, "") << "versos wrote on standard output or error";
        return run.status;
    }

    ProcessResult pegar(const std::vector<std::string>& args) { return run_program(PEGAR_BIN, args, env); }
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
    ASSERT_EQ(versos({"A", "1"}), 0);
    EXPECT_EQ(clipboard_bytes(CF_TEXT),
              "s\xFA"
              "bita tormenta")
        << "the exact Windows-1252 bytes";
    EXPECT_EQ(clipboard_letters(), u"s\u00FAbita tormenta") << "the same letters as Unicode text";

    ASSERT_EQ(versos({"w", "1"}), 0);
    EXPECT_EQ(clipboard_bytes(CF_TEXT), "") << "an empty text is still an item";
    EXPECT_EQ(clipboard_letters(), u"");

    EXPECT_EQ(versos({"F", "1"}), 1);
    EXPECT_FALSE(clipboard_bytes(CF_TEXT).has_value()) << "an unknown mode leaves the clipboard emptied";
    EXPECT_FALSE(clipboard_letters().has_value());

    set_clipboard("earlier", std::nullopt);
    EXPECT_EQ(versos({"A"}), 1);
    EXPECT_EQ(clipboard_bytes(CF_TEXT), "earlier") << "a wrong argument count touches nothing";
}

// A clipboard manager or a reader holds the clipboard only for a moment:
// versos waits for it rather than losing the fragment; one that never lets
// go within the run leaves the clipboard as it was, and the status 0.
TEST_F(WindowsClipboardRuns, HolderForAMomentDelaysTheFragment) {
    set_clipboard("earlier", std::nullopt);
    {
        // Lets go 300 ms after taking it, well within the second versos
        // waits from its first try, whenever that comes: if versos starts
        // later, the run must still end with "un".
        const ClipboardHolder holder(300);
        EXPECT_EQ(versos({"k", "1"}), 0);
    }
    EXPECT_EQ(clipboard_bytes(CF_TEXT), "un");
    {
        const ClipboardHolder holder;
        EXPECT_EQ(versos({"k", "0"}), 0);  // "el", had it been written
    }
    EXPECT_EQ(clipboard_bytes(CF_TEXT), "un") << "a clipboard held for the whole run is left as it was";
}

TEST_F(WindowsClipboardRuns, PegarReadsTheUnicodeText) {
    // A code-page text that differs from the Unicode one: versos-pegar must
    // print the Unicode letters, and for -r convert them itself.
    set_clipboard("otra cosa", u"a\u00F1orado \u20AC \u263A");
    ProcessResult run = pegar({});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "a\xC3\xB1orado \xE2\x82\xAC \xE2\x98\xBA");
    run = pegar({"-r"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "a\xF1orado \x80 ?") << "Windows-1252, '?' for a letter it lacks";

    set_clipboard(std::nullopt, std::nullopt);
    run = pegar({});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace versos::testing
