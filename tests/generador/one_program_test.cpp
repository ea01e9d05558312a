// The verse command's code and the generator library linked into one
// program: each fragment goes where the code that ran the generator sends
// it, the command's to the clipboard, the library's to its caller, on any
// thread.
#include <gtest/gtest.h>

#include <versos/generador.h>
#include <optional>
#include <string>
#include <thread>

#include "core/clipboard/clipboard_device.h"
#include "core/clipboard/file/clipboard_file.h"
#include "core/dispatch.h"
#include "core/fragment_destination.h"
#include "tests/support/files.h"

namespace versos::testing {
namespace {

TEST(CommandAndLibraryInOneProgram, EachFragmentGoesWhereItsRunnerSendsIt) {
    TempFolder folder;
    const std::string path = folder / "clipboard";
    FileClipboard clipboard(path.c_str(), false);
    use_clipboard(&clipboard);
    for (const char mode : std::string(modos)) {
        const std::string seed = std::to_string(mode * 7919);
        const char mode_text[2] = {mode, '\0'};
        const char* argv[] = {"versos", mode_text, seed.c_str()};
        ASSERT_EQ(run_verse_command(3, argv), 0) << mode;
        const std::optional<std::string> item = read_file(path);
        ASSERT_TRUE(item.has_value()) << "no clipboard item for mode " << mode;

        std::optional<std::string> on_another_thread;
        std::thread([&] { on_another_thread = fragmento(mode, lee_semilla(seed.c_str())); }).join();
        EXPECT_EQ(fragmento(mode, lee_semilla(seed.c_str())), item) << mode;
        EXPECT_EQ(on_another_thread, item) << mode;
        // Outside any run a fragment has nowhere to go.
        EXPECT_EQ(str2clip("fuera"), 0);
        EXPECT_EQ(read_file(path), item) << "the clipboard changed after the command's run, mode " << mode;
    }
    use_clipboard(nullptr);
}

}  // namespace
}  // namespace versos::testing
