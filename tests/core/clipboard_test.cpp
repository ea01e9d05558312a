// The clipboard writers over a device, and the file clipboard device.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

#include "core/clipboard/clipboard.h"
#include "core/clipboard/file/clipboard_file.h"
#include "tests/doubles/scripted.h"
#include "tests/support/files.h"

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
    expect_only(folder, {"clipboard", "clipboard.lock"});
}

TEST_F(FileClipboardDevice, LockThatIsNotARegularFileRefusesTheClipboard) {
    write_file(path, "earlier");
    write_file(folder / "elsewhere", "kept");
    const std::string lock = path + ".lock";
    const std::vector<std::pair<const char*, std::function<int()>>> odd_locks = {
        {"FIFO", [&] { return mkfifo(lock.c_str(), 0600); }},
        {"folder", [&] { return mkdir(lock.c_str(), 0700); }},
        {"link to a regular file", [&] { return symlink("elsewhere", lock.c_str()); }},
        {"dangling link", [&] { return symlink("nowhere", lock.c_str()); }},
    };
    for (const auto& [what, make] : odd_locks) {
        ASSERT_EQ(make(), 0) << what;
        struct stat before, after;
        ASSERT_EQ(lstat(lock.c_str(), &before), 0);
        EXPECT_FALSE(clip.open()) << what;
        EXPECT_EQ(read_file(path), "earlier") << what;
        // Nothing a reader finds there was written by a run: with the text
        // in place or without it, the clipboard can't be reached.
        for (const bool with_text : {true, false}) {
            if (!with_text) std::filesystem::remove(path);
            std::string out, why;
            EXPECT_EQ(clip.read_text(TextFormat::utf8, out, why), ReadResult::unreachable) << what << with_text;
            EXPECT_NE(why.find("not a regular file"), std::string::npos) << why;
            EXPECT_EQ(out, "");
        }
        write_file(path, "earlier");
        ASSERT_EQ(lstat(lock.c_str(), &after), 0) << what;
        EXPECT_EQ(after.st_mode, before.st_mode) << what;
        EXPECT_EQ(after.st_ino, before.st_ino) << what;
        std::filesystem::remove(lock);
    }
    EXPECT_EQ(read_file(folder / "elsewhere"), "kept");
    EXPECT_FALSE(std::filesystem::exists(folder / "nowhere"));
}

TEST_F(FileClipboardDevice, LinkAtThePathIsNotAClipboard) {
    write_file(folder / "target", "kept");
    ASSERT_EQ(symlink("target", path.c_str()), 0);
    EXPECT_FALSE(clip.open());
    std::string out, why;
    EXPECT_EQ(clip.read_text(TextFormat::utf8, out, why), ReadResult::unreachable);
    EXPECT_NE(why.find("symbolic link"), std::string::npos) << why;
    EXPECT_EQ(out, "");
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(read_file(folder / "target"), "kept");
}

TEST(FileClipboardPath, TooLongIsAClipboardThatCannotBeOpened) {
    const std::string long_path = "/tmp/" + std::string(5000, 'x');
    FileClipboard clip(long_path.c_str(), false);
    EXPECT_FALSE(clip.open());
    std::string out, why;
    EXPECT_EQ(clip.read_text(TextFormat::utf8, out, why), ReadResult::unreachable);
    EXPECT_NE(why, "");
}

// A last component that fits the file system but leaves no room for the
// lock's or the temporary file's suffix: no run could ever write there.
TEST(FileClipboardPath, NameWithoutRoomForItsSuffixesCannotBeReached) {
    TempFolder folder;
    const long name_max = pathconf(folder.path().c_str(), _PC_NAME_MAX);
    if (name_max < 8 || name_max > 1024) GTEST_SKIP() << "no usable name limit here: " << name_max;
    const std::size_t longest = static_cast<std::size_t>(name_max) - std::string(".XXXXXX").size();
    for (std::size_t length : {longest + 1, longest + 3}) {  // the temporary name, then also the lock, too long
        const std::string path = folder / std::string(length, 'c');
        FileClipboard clip(path.c_str(), false);
        EXPECT_FALSE(clip.open()) << length;
        std::string out, why;
        EXPECT_EQ(clip.read_text(TextFormat::utf8, out, why), ReadResult::unreachable) << length;
        EXPECT_NE(why.find("too long"), std::string::npos) << why;
    }
    const std::string path = folder / std::string(longest, 'c');
    FileClipboard clip(path.c_str(), false);
    ASSERT_TRUE(clip.open()) << "the longest name that fits";
    EXPECT_TRUE(clip.set_text("un", 2));
    clip.close();
    std::string out, why;
    EXPECT_EQ(clip.read_text(TextFormat::utf8, out, why), ReadResult::text) << why;
    EXPECT_EQ(out, "un");
}

}  // namespace
}  // namespace versos::testing
