// What only Windows does to the file routines: another program holding the
// target without sharing it, a read-only target, names beyond the code page
// (UTF-8 in the library, UTF-16 on the command line), paths past 260
// characters, "the same file" by volume serial and file index, and a move
// within a volume that renames; and the output capture on the C runtime's
// descriptors.
#include <versos/util.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace versos {
namespace {

using testing::Bytes;
using testing::read_bytes;
using testing::write_file;

class WindowsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.ok());
        clear_file_failure();
        write_file(source(), Bytes{'n', 'e', 'w', 0, 0, 0, 'x'});
        write_file(target(), old);
    }
    std::string source() const { return dir / "source"; }
    std::string target() const { return dir / "target"; }
    std::wstring wide(const std::string& path) const { return testing::native_path(path).wstring(); }

    // The routine failed naming the target, with nothing left beside it.
    void expect_clean_failure(int result) {
        EXPECT_EQ(result, 0);
        EXPECT_STREQ(last_file_failure().path, target().c_str()) << last_file_failure().text;
        testing::expect_only(dir, {"source", "target"});
    }

    testing::TempFolder dir;
    const Bytes old{'o', 'l', 'd'};
};

TEST_F(WindowsFiles, ATargetHeldWithoutSharingIsACleanFailure) {
    const HANDLE held = CreateFileW(wide(target()).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    expect_clean_failure(copyf_(source().c_str(), target().c_str()));
    clear_file_failure();
    expect_clean_failure(codef_(source().c_str(), target().c_str(), "K"));
    CloseHandle(held);
    EXPECT_EQ(read_bytes(target()), old);
}

TEST_F(WindowsFiles, AReadOnlyTargetIsACleanFailure) {
    ASSERT_TRUE(SetFileAttributesW(wide(target()).c_str(), FILE_ATTRIBUTE_READONLY));
    expect_clean_failure(comprexe_(source().c_str(), target().c_str()));
    clear_file_failure();
    expect_clean_failure(movef_(source().c_str(), target().c_str()));
    EXPECT_EQ(read_bytes(target()), old);
    SetFileAttributesW(wide(target()).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowsFiles, TwoFilesOfOneFolderAreNotTheSameFile) {
    // The C runtime gives every file inode 0: by it any two would be one.
    EXPECT_EQ(copyf_(source().c_str(), target().c_str()), 1) << last_file_failure().text;
    EXPECT_EQ(read_bytes(target()), read_bytes(source()));
    EXPECT_EQ(copyf_(target().c_str(), target().c_str()), 0);
}

TEST_F(WindowsFiles, NamesBeyondTheCodePageAndPastTheOldLimit) {
    // UTF-8, and a name that is not UTF-8 taken as Windows-1252 ("caf\xE9").
    const std::string song = dir / "canci\xC3\xB3n.txt";
    ASSERT_EQ(copyf_(source().c_str(), song.c_str()), 1) << last_file_failure().text;
    EXPECT_EQ(read_bytes(song), read_bytes(source()));
    ASSERT_EQ(copyf_(source().c_str(), (dir / "caf\xE9").c_str()), 1) << last_file_failure().text;
    EXPECT_EQ(read_bytes(dir / "caf\xC3\xA9"), read_bytes(source()));

    // ficheros takes its command line in UTF-16.
    const testing::ProcessResult r = testing::run_program(
        {FICHEROS_PATH, "copyf", song, dir / "a\xC3\xB1o \xE2\x82\xAC.txt"}, {testing::environment_with({}), "", 60});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read_bytes(dir / "a\xC3\xB1o \xE2\x82\xAC.txt"), read_bytes(source()));

    std::string deep = dir.path();
    while (deep.size() < 300) {
        deep += "\\" + std::string(40, 'd');
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + wide(deep)).c_str(), nullptr));
    }
    const std::string distant = deep + "\\" + std::string(40, 'f');
    EXPECT_EQ(copyf_(source().c_str(), distant.c_str()), 1) << last_file_failure().text;
    EXPECT_EQ(codef_(distant.c_str(), (distant + ".coded").c_str(), "K"), 1) << last_file_failure().text;
    EXPECT_EQ(existfile_(distant.c_str()), 1);
}

TEST_F(WindowsFiles, AMoveWithinTheVolumeRenames) {
    auto index_of = [this](const std::string& path) {
        const HANDLE h = CreateFileW(wide(path).c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        GetFileInformationByHandle(h, &info);
        CloseHandle(h);
        return (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    };
    const std::uint64_t before = index_of(source());
    ASSERT_EQ(movef_(source().c_str(), target().c_str()), 1) << last_file_failure().text;
    EXPECT_EQ(index_of(target()), before);
    testing::expect_only(dir, {"target"});
}

TEST_F(WindowsFiles, DevicesAreWrittenThrough) {
    EXPECT_EQ(copyf_(source().c_str(), "NUL"), 1) << last_file_failure().text;
    testing::expect_only(dir, {"source", "target"});
}

// The capture on the C runtime's descriptors: what is printed comes back
// byte for byte (no CR put before LF), and its file in the user's temporary
// folder is gone at the end.
TEST(WindowsCapture, TakesTheBytesAsPrintedAndLeavesNoFile) {
    auto capture_files = [] {
        int found = 0;
        WIN32_FIND_DATAW entry;
        wchar_t folder[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
        const HANDLE search = FindFirstFileW((std::wstring(folder, n) + L"versos-prints-*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) return 0;
        do ++found;
        while (FindNextFileW(search, &entry));
        FindClose(search);
        return found;
    };
    std::fflush(stdout);
    ASSERT_EQ(openprints_(), 0);
    const bool file_made = capture_files() == 1;
    const std::string printed = "uno\ndos\r\n" + std::string(5000, 'b') + "\n";
    std::fputs(printed.c_str(), stdout);
    static char captured[8192];
    const int whole = prints_(captured);
    const int closed = closeprints_();
    EXPECT_TRUE(file_made);
    EXPECT_EQ(whole, 1);
    EXPECT_EQ(closed, 0);
    EXPECT_EQ(std::string(captured), printed);
    EXPECT_EQ(capture_files(), 0);
}

}  // namespace
}  // namespace versos
