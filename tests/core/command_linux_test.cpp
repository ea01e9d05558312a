// The real versos and versos-pegar binaries on the file clipboard: what is
// about Linux itself (flock, FIFOs, sockets, devices, file-size limits, the
// runtime folder).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/clipboard/file/clipboard_file.h"
#include "tests/core/command_run.h"

namespace versos::testing {
namespace {

// With something that is not a regular file at the clipboard path, versos
// still succeeds silently and leaves it as it was, making nothing beside
// it, and versos-pegar refuses it without opening it.
void expect_left_alone(VersosCommand& t, const std::string& what) {
    const std::string& clip = t.clip;
    struct stat before, after;
    ASSERT_EQ(lstat(clip.c_str(), &before), 0) << what;
    EXPECT_EQ(t.versos({"B", "1"}).status, 0) << what;
    ASSERT_EQ(lstat(clip.c_str(), &after), 0) << what << " was removed";
    EXPECT_EQ(after.st_mode, before.st_mode) << what << " was replaced";
    EXPECT_EQ(after.st_ino, before.st_ino) << what << " was replaced";
    EXPECT_EQ(after.st_rdev, before.st_rdev) << what;
    EXPECT_FALSE(std::filesystem::exists(clip + ".lock")) << what;
    // A hang is what a regression looks like here (a FIFO without a
    // writer blocks its reader forever): the timeout turns it into a
    // failure, with room to spare for a slow machine.
    const ProcessResult p = run_program({PEGAR_BIN}, ProcessOptions{t.env(), "", 5});
    EXPECT_FALSE(p.timed_out) << what << ": versos-pegar did not return";
    EXPECT_EQ(p.status, 2) << what;
    EXPECT_EQ(p.out, "") << what;
    EXPECT_NE(p.err.find("not a regular file"), std::string::npos) << p.err;
}

TEST_F(VersosCommand, HeldClipboardChangesNothingAndStillSucceeds) {
    write_file(clip, "earlier");
    const int lock = ::open((clip + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    EXPECT_EQ(versos({"x", "5"}).status, 0);
    EXPECT_EQ(versos({"F", "5"}).status, 1);
    EXPECT_EQ(read_file(clip), "earlier");
    close(lock);
    EXPECT_NE(fragment("x", "5"), "earlier");
}

// Under a file-size limit the text can't be written: the run is one that
// could not set the clipboard (emptied, status 0, nothing left beside it),
// not one killed by SIGXFSZ halfway. The limit is set in the shell that
// execs the program, so this process keeps none.
TEST_F(VersosCommand, FileSizeLimitIsAFailedWriteNotAKill) {
    write_file(clip, "earlier");
    ASSERT_NE(fragment("C", "9"), "") << "the run must have bytes to write";
    write_file(clip, "earlier");
    const auto limited = [&](const std::string& command) {
        return run_program({"sh", "-c", "ulimit -f 0 && exec " + command, "sh", VERSOS_BIN, PEGAR_BIN, folder / "out"},
                           ProcessOptions{env(), "", 10});
    };
    const ProcessResult r = limited("\"$1\" C 9");
    EXPECT_EQ(r.status, 0) << "killed or failed";
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_FALSE(read_file(clip).has_value()) << "the clipboard must be left emptied";
    expect_only(folder, {"clipboard.lock"});  // no temporary file left

    // versos-pegar writing into a file: a write error, said as such.
    write_file(clip, "un");
    const ProcessResult p = limited("\"$2\" >\"$3\"");
    EXPECT_EQ(p.status, 2) << "killed or failed";
    EXPECT_NE(p.err.find("File too large"), std::string::npos) << p.err;
}

TEST_F(VersosCommand, UnusableFolderIsAClipboardThatCannotBeOpened) {
    const std::vector<std::string> env = {"PATH=/usr/bin:/bin", "VERSOS_CLIPBOARD_FILE=/proc/versos/clipboard"};
    const ProcessResult r = run_program(VERSOS_BIN, {"x", "5"}, env);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    const ProcessResult p = run_program(PEGAR_BIN, {}, env);
    EXPECT_EQ(p.status, 2);
    EXPECT_NE(p.err.find("clipboard"), std::string::npos) << p.err;
}

TEST_F(VersosCommand, PathThatIsNotARegularFileIsLeftAsItWas) {
    ASSERT_EQ(mkfifo(clip.c_str(), 0600), 0);
    expect_left_alone(*this, "a FIFO");
    ASSERT_EQ(unlink(clip.c_str()), 0);

    ASSERT_EQ(mkdir(clip.c_str(), 0700), 0);
    expect_left_alone(*this, "a folder");
    ASSERT_EQ(rmdir(clip.c_str()), 0);

    const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(clip.size(), sizeof address.sun_path);
    clip.copy(address.sun_path, clip.size());
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    expect_left_alone(*this, "a socket");
    close(sock);
}

TEST_F(VersosCommand, DeviceNodeAtThePathIsLeftAsItWas) {
    // The node of /dev/null, made here: a run that regressed would replace
    // this one, not the system's.
    if (mknod(clip.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "can't make a device node here: " << std::strerror(errno);
    expect_left_alone(*this, "a character device");
    struct stat st;
    ASSERT_EQ(lstat(clip.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(VersosCommand, PegarRefusesEndlessAndOversizedFiles) {
    const ProcessResult zero = run_program(PEGAR_BIN, {}, {"PATH=/usr/bin:/bin", "VERSOS_CLIPBOARD_FILE=/dev/zero"});
    EXPECT_FALSE(zero.timed_out);
    EXPECT_EQ(zero.status, 2);
    EXPECT_EQ(zero.out, "");
    EXPECT_NE(zero.err.find("not a regular file"), std::string::npos) << zero.err;

    write_file(clip, "");
    ASSERT_EQ(truncate(clip.c_str(), kFileItemLimit), 0);
    ProcessResult r = run_program(PEGAR_BIN, {"-r"}, env());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, std::string(kFileItemLimit, '\0')) << "a file of exactly the limit is printed whole";

    ASSERT_EQ(truncate(clip.c_str(), kFileItemLimit + 1), 0);
    r = run_program(PEGAR_BIN, {"-r"}, env());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("too large"), std::string::npos) << r.err;
}

TEST_F(VersosCommand, DefaultClipboardLivesInAPrivateFolderOfTheRuntimeDir) {
    const std::vector<std::string> env = {"PATH=/usr/bin:/bin", "XDG_RUNTIME_DIR=" + folder.path()};
    ASSERT_EQ(run_program(VERSOS_BIN, {"k", "1"}, env).status, 0);
    struct stat st;
    ASSERT_EQ(stat((folder / "versos").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(read_file(folder / "versos/clipboard"), "un");
    EXPECT_EQ(run_program(PEGAR_BIN, {}, env).out, "un");
}

TEST_F(VersosCommand, AnotherUsersFolderIsRefused) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
    ASSERT_EQ(mkdir((folder / "versos").c_str(), 0700), 0);
    ASSERT_EQ(chown((folder / "versos").c_str(), 65534, 65534), 0);
    const std::vector<std::string> env = {"PATH=/usr/bin:/bin", "XDG_RUNTIME_DIR=" + folder.path()};
    const ProcessResult r = run_program(VERSOS_BIN, {"k", "1"}, env);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out + r.err, "");
    EXPECT_FALSE(read_file(folder / "versos/clipboard").has_value());
    EXPECT_EQ(run_program(PEGAR_BIN, {}, env).status, 2);
}

TEST_F(VersosCommand, PegarHelpThatCannotBeWrittenFails) {
    // Output that fails is a failure, said as such.
    for (const char* option : {"--help", "--version"}) {
        const ProcessResult full = run_program({"sh", "-c", "exec \"$0\" \"$1\" >/dev/full", PEGAR_BIN, option},
                                               ProcessOptions{env(), "", 10});
        EXPECT_EQ(full.status, 2) << option;
        EXPECT_EQ(full.err, "versos-pegar: standard output: No space left on device\n") << option;
    }
}

}  // namespace
}  // namespace versos::testing
