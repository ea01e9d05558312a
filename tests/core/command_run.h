// The real versos and versos-pegar binaries on a file clipboard, as a user
// runs them: for the tests on every system (command_test.cpp) and those
// about Linux itself (command_linux_test.cpp).
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/clipboard_destination.h"
#include "core/random.h"
#include "families/families.h"
#include "tests/doubles/scripted.h"
#include "tests/support/files.h"
#include "tests/support/process.h"

namespace versos::testing {

class VersosCommand : public ::testing::Test {
public:
    TempFolder folder;
    const std::string clip = folder / "clipboard";

    // The file clipboard named here serves every run, whatever the desktop.
    std::vector<std::string> env() const { return environment_with({"VERSOS_CLIPBOARD_FILE=" + clip}, {"DISPLAY"}); }

    ProcessResult versos(const std::vector<std::string>& args) {
        ProcessResult r = run_program(VERSOS_BIN, args, env());
        EXPECT_EQ(r.out, "") << "versos wrote on standard output";
        EXPECT_EQ(r.err, "") << "versos wrote on standard error";
        return r;
    }

    // The fragment of one run; fails the test unless the run ends with 0.
    std::string fragment(const std::string& mode, const std::string& seed) {
        EXPECT_EQ(versos({mode, seed}).status, 0) << mode << " " << seed;
        const std::optional<std::string> c = read_file(clip);
        EXPECT_TRUE(c.has_value()) << "no text item after " << mode << " " << seed;
        return c.value_or("");
    }
};

// The likeness line of mode B for a seed given as srand receives it.
inline std::string likeness_line(unsigned seed) {
    MemoryClipboard clipboard;
    ClipboardDestination to_clipboard;
    const FragmentsGoTo to(to_clipboard);
    versos::srand(seed);
    verso21();
    return clipboard.item.value_or("<no item>");
}

}  // namespace versos::testing
