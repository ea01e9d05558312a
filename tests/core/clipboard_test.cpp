// The clipboard writers over a device, and the file clipboard device.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <filesystem>
#include <set>

#include "core/clipboard.h"
#include "core/clipboard_file.h"
#include "tests/support/process.h"
#include "tests/support/scripted.h"

namespace versos::testing {
namespace {

TEST(ClipboardWriters, ResultsFollowTheOpenAndTheClose) {
    MemoryClipboard clip;
    EXPECT_EQ(str2clip("al\xF3n"), 1);
    EXPECT_EQ(clip.item, "al\xF3n");
    EXPECT_EQ(clearclip(), 1);
    EXPECT_FALSE(clip.item.has_value()) << "no item of any format";
    EXPECT_EQ(str2clip(""), 1);
    EXPECT_EQ(clip.item, "") << "an empty text is still an item";
}

TEST(ClipboardWriters, HeldClipboardIsLeftAsItWas) {
    MemoryClipboard clip;
    clip.item = "earlier";
    clip.held_elsewhere = true;
    EXPECT_EQ(str2clip("new"), 0);
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

class FileClipboardDevice : public ::testing::Test {
protected:
    TempFolder folder;
    const std::string path = folder / "clipboard";
    FileClipboard clip{path.c_str(), false};

    std::string read(TextFormat format) {
        std::string out, why;
        EXPECT_EQ(clip.read_text(format, out, why), ReadResult::text) << why;
        return out;
    }
};

TEST_F(FileClipboardDevice, HoldsTheExactBytesAndTellsEmptyFromNone) {
    ASSERT_TRUE(clip.open());
    clip.empty();
    EXPECT_TRUE(clip.set_text("alusi\xF3n", 7));
    EXPECT_TRUE(clip.close());
    EXPECT_EQ(read_file(path).bytes, "alusi\xF3n");
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

TEST_F(FileClipboardDevice, OpenFailsWhileAnotherHolderHasTheLock) {
    const int lock = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    EXPECT_FALSE(clip.open());
    ::close(lock);
    EXPECT_TRUE(clip.open());
    EXPECT_FALSE(clip.open()) << "a second open while open";
    EXPECT_TRUE(clip.close());
    EXPECT_FALSE(clip.close());
}

TEST_F(FileClipboardDevice, LeavesNoTemporaryFilesBehind) {
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(clip.open());
        clip.empty();
        clip.set_text("un", 2);
        clip.close();
    }
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"clipboard", "clipboard.lock"}));
}

TEST(FileClipboardPath, TooLongIsAClipboardThatCannotBeOpened) {
    const std::string long_path = "/tmp/" + std::string(5000, 'x');
    FileClipboard clip(long_path.c_str(), false);
    EXPECT_FALSE(clip.open());
    std::string out, why;
    EXPECT_EQ(clip.read_text(TextFormat::utf8, out, why), ReadResult::unreachable);
    EXPECT_NE(why, "");
}

}  // namespace
}  // namespace versos::testing
