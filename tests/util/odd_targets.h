// Targets and sources that are not plain files, for the tests of every
// routine that writes a file: links, a FIFO, device nodes, and sources that
// fail at once.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <functional>
#include <iostream>
#include <thread>

#include "tests/support/files.h"

namespace versos::testing {

using Routine = std::function<int(const char* source, const char* target)>;

// Collects what is written into a FIFO. It holds a write end of its own, so
// the writer's open never waits and the end is not seen before finish().
class FifoReader {
public:
    explicit FifoReader(const std::string& path)
        : read_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)),
          write_(::open(path.c_str(), O_WRONLY | O_CLOEXEC)) {
        if (!ok()) return;
        ::fcntl(read_, F_SETFL, 0);
        thread_ = std::thread([this] {
            std::uint8_t buf[4096];
            for (ssize_t n; (n = ::read(read_, buf, sizeof buf)) > 0;) bytes_.insert(bytes_.end(), buf, buf + n);
        });
    }
    ~FifoReader() { finish(); }
    bool ok() const { return read_ >= 0 && write_ >= 0; }
    Bytes finish() {
        if (write_ >= 0) ::close(write_);
        write_ = -1;
        if (thread_.joinable()) thread_.join();
        if (read_ >= 0) ::close(read_);
        read_ = -1;
        return bytes_;
    }

private:
    int read_, write_;
    std::thread thread_;
    Bytes bytes_;
};

// TMPDIR set for the life of the object.
class TempFolderSet {
public:
    explicit TempFolderSet(const std::string& path) {
        if (const char* old = std::getenv("TMPDIR")) old_ = old, had_ = true;
        ::setenv("TMPDIR", path.c_str(), 1);
    }
    ~TempFolderSet() { had_ ? ::setenv("TMPDIR", old_.c_str(), 1) : ::unsetenv("TMPDIR"); }

private:
    std::string old_;
    bool had_ = false;
};

inline mode_t kind_of(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

// A device node of /dev's kind (1, minor) in a folder, or "" with the reason
// in `why` where it can't be made or opened there (no root, a nodev mount).
inline std::string device_node(const TempFolder& dir, const char* name, unsigned minor, std::string& why) {
    const std::string path = dir / name;
    if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, minor)) != 0) {
        why = std::string("mknod: ") + std::strerror(errno);
        return {};
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        why = std::string("opening a device node here: ") + std::strerror(errno);
        return {};
    }
    ::close(fd);
    return path;
}

// Writes `source` through `routine` into a symbolic link, a file of two
// names, a FIFO and device nodes like /dev/null and /dev/full: each stays
// what it was and receives what a new file receives, and a write error is a
// failure. Intermediate files go to a folder of the test's (TMPDIR) and must
// not stay there either.
inline void check_odd_targets(const Routine& routine, const std::string& source,
                              const std::function<bool(int)>& succeeded) {
    TempFolder dir;
    ASSERT_TRUE(dir.ok());
    const TempFolderSet tmp(dir.path());
    const int done = routine(source.c_str(), (dir / "new").c_str());
    ASSERT_TRUE(succeeded(done)) << done;
    const Bytes expected = read_bytes(dir / "new");

    write_file(dir / "linked", {'o', 'l', 'd'});
    ASSERT_EQ(::symlink("linked", (dir / "link").c_str()), 0);
    EXPECT_TRUE(succeeded(routine(source.c_str(), (dir / "link").c_str())));
    EXPECT_EQ(kind_of(dir / "link"), static_cast<mode_t>(S_IFLNK));
    EXPECT_EQ(read_bytes(dir / "linked"), expected);

    write_file(dir / "first", {'o', 'l', 'd'});
    ASSERT_EQ(::link((dir / "first").c_str(), (dir / "second").c_str()), 0);
    EXPECT_TRUE(succeeded(routine(source.c_str(), (dir / "second").c_str())));
    struct stat st;
    ASSERT_EQ(::stat((dir / "first").c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 2u);
    EXPECT_EQ(read_bytes(dir / "first"), expected);

    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    FifoReader reader(dir / "fifo");
    ASSERT_TRUE(reader.ok());
    EXPECT_TRUE(succeeded(routine(source.c_str(), (dir / "fifo").c_str())));
    EXPECT_EQ(reader.finish(), expected);
    EXPECT_EQ(kind_of(dir / "fifo"), static_cast<mode_t>(S_IFIFO));

    std::vector<std::string> names = {"new", "linked", "link", "first", "second", "fifo"};
    std::string why;
    const std::string null = device_node(dir, "null", 3, why), full = device_node(dir, "full", 7, why);
    if (!null.empty() && !full.empty()) {
        EXPECT_TRUE(succeeded(routine(source.c_str(), null.c_str())));
        const int failed = routine(source.c_str(), full.c_str());
        EXPECT_FALSE(succeeded(failed)) << "onto a full device: " << failed;
        EXPECT_EQ(kind_of(null), static_cast<mode_t>(S_IFCHR));
        EXPECT_EQ(kind_of(full), static_cast<mode_t>(S_IFCHR));
    } else {
        std::cout << "device node targets not tried: " << why << "\n";
    }
    for (const char* name : {"null", "full"})
        if (exists(dir / name)) names.push_back(name);
    expect_only(dir, names);
}

// A source that fails at once (a folder; /proc/self/mem, whose first bytes
// can't be read) leaves an existing target, a plain file or a file of two
// names, as it was, and nothing beside it.
inline void check_failing_sources(const Routine& routine) {
    TempFolder dir;
    ASSERT_TRUE(dir.ok());
    const TempFolderSet tmp(dir.path());
    std::vector<std::string> sources = {dir.path()};
    const int mem = ::open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
    char byte;
    if (mem >= 0 && ::pread(mem, &byte, 1, 0) < 0) sources.push_back("/proc/self/mem");
    if (mem >= 0) ::close(mem);
    const Bytes old = {'o', 'l', 'd', 0, 1};
    write_file(dir / "target", old);
    write_file(dir / "first", old);
    ASSERT_EQ(::link((dir / "first").c_str(), (dir / "second").c_str()), 0);
    for (const std::string& source : sources) {
        for (const char* target : {"target", "second"}) {
            EXPECT_EQ(routine(source.c_str(), (dir / target).c_str()), 0) << source << " into " << target;
            EXPECT_EQ(read_bytes(dir / target), old) << source << " into " << target;
        }
    }
    expect_only(dir, {"target", "first", "second"});
}

}  // namespace versos::testing
