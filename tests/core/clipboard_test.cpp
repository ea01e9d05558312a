// The clipboard writers over a device, and the file clipboard device: what
// holds on every system.
#include <filesystem>

#include "core/clipboard/clipboard.h"
#include "tests/core/clipboard_file_run.h"
#include "tests/doubles/scripted.h"

namespace versos::testing {
namespace {

TEST(ClipboardWriters, ResultsFollowTheOpenAndTheClose) {
    MemoryClipboard clip;
    EXPECT_EQ(put_on_clipboard("al\xF3n"), 1);
    EXPECT_EQ(clip.item, "al\xF3n");
    EXPECT_EQ(clearclip(), 1);
    EXPECT_FALSE(clip.item.has_value()) << "no item of any format";
    EXPECT_EQ(put_on_clipboard(""), 1);
    EXPECT_EQ(clip.item, "") << "an empty text is still an item";
}

TEST(ClipboardWriters, HeldClipboardIsLeftAsItWas) {
    MemoryClipboard clip;
    clip.item = "earlier";
    clip.held_elsewhere = true;
    EXPECT_EQ(put_on_clipboard("new"), 0);
    EXPECT_EQ(clearclip(), 0);
    EXPECT_EQ(portapapeles("new"), 0);
    EXPECT_EQ(clip.item, "earlier");
    EXPECT_EQ(clip.writes, 0);
}

TEST(ClipboardWriters, PortapapelesReplacesTheItemAndAlwaysGivesZero) {
    MemoryClipboard clip;
    clip.item = "earlier";
    EXPECT_EQ(portapapeles("con forma distinta a la"), 0);
    EXPECT_EQ(clip.item, "con forma distinta a la");
}

TEST_F(FileClipboardDevice, HoldsTheExactBytesAndTellsEmptyFromNone) {
    ASSERT_TRUE(clip.open());
    clip.empty();
    EXPECT_TRUE(clip.set_text("alusi\xF3n", 7));
    EXPECT_TRUE(clip.close());
    EXPECT_EQ(read_file(path), "alusi\xF3n");
    EXPECT_EQ(read(TextFormat::utf8), "alusi\xC3\xB3n");
    EXPECT_EQ(read(TextFormat::windows1252), "alusi\xF3n");

    ASSERT_TRUE(clip.open());
    clip.empty();
    EXPECT_TRUE(clip.set_text("", 0));
    clip.close();
    EXPECT_EQ(read(TextFormat::utf8), "");

    ASSERT_TRUE(clip.open());
    clip.empty();
    clip.close();
    std::string out, why;
    EXPECT_EQ(clip.read_text(TextFormat::utf8, out, why), ReadResult::no_text);
}

TEST_F(FileClipboardDevice, LeavesNoTemporaryFilesBehind) {
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(clip.open());
        clip.empty();
        clip.set_text("un", 2);
        clip.close();
    }
    expect_only(folder, {"clipboard", "clipboard.lock"});
}

TEST(FileClipboardPath, TooLongIsAClipboardThatCannotBeOpened) {
    const std::string long_path = "/tmp/" + std::string(5000, 'x');
    FileClipboard clip(long_path.c_str(), false);
    EXPECT_FALSE(clip.open());
    std::string out, why;
    EXPECT_EQ(clip.read_text(TextFormat::utf8, out, why), ReadResult::unreachable);
    EXPECT_NE(why, "");
}

// A second holder, here another device on the same file, is refused until
// the first lets go: the lock that keeps two runs apart.
TEST_F(FileClipboardDevice, SecondHolderWaitsForTheFirstToClose) {
    FileClipboard other{path.c_str(), false};
    ASSERT_TRUE(other.open());
    EXPECT_FALSE(clip.open());
    other.close();
    ASSERT_TRUE(clip.open());
    EXPECT_FALSE(other.open());
    clip.close();
}

}  // namespace
}  // namespace versos::testing
