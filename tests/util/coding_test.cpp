#include <versos/util/coding.h>
#include <versos/util/compression.h>
#include <versos/util/failure.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <grp.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <thread>
#include <tuple>

#include "lib/util/files/file_io.h"
#include "lib/util/files/key_coding.h"
#include "tests/support/files.h"
#include "tests/support/memory_blocks.h"
#include "tests/support/process.h"
#include "tests/util/odd_targets.h"
#include "tests/util/sample_bytes.h"
#include "tests/util/zero_run_reference.h"

namespace versos {
namespace {

using testing::Bytes;
using testing::read_bytes;
using testing::write_file;

Bytes xor_with(const Bytes& in, const Bytes& key) {
    Bytes out(in);
    for (std::size_t i = 0; i < out.size(); ++i) out[i] ^= key[i % key.size()];
    return out;
}

Bytes working_key(const char* key) {
    std::vector<char> buffer(14 * std::strlen(key));
    const int length = expandeclave_(key, buffer.data());
    return Bytes(buffer.begin(), buffer.begin() + length);
}

// The rotation amount for the key byte whose next key byte is `next`.
int turn_for(std::uint8_t next) {
    return next % 13 == 0   ? 7
           : next % 11 == 0 ? 6
           : next % 7 == 0  ? 5
           : next % 5 == 0  ? 4
           : next % 3 == 0  ? 3
           : next % 2 == 0  ? 2
                            : 1;
}

// The rotating coding of `in` with `key`, one byte at a time.
Bytes rotated_with(const Bytes& in, const Bytes& key) {
    Bytes out(in.size());
    for (std::size_t k = 0; k < in.size(); ++k) {
        const std::size_t p = k % key.size();
        out[k] = static_cast<std::uint8_t>(rbitchar_(in[k] ^ key[p], turn_for(key[(p + 1) % key.size()])));
    }
    return out;
}

Bytes sample(std::size_t size, bool with_zeros, unsigned seed = 5) {
    std::mt19937 rng(seed);
    Bytes out = testing::runs_and_bytes(rng, size, 600, false);
    if (!with_zeros) std::replace(out.begin(), out.end(), std::uint8_t{0}, std::uint8_t{'.'});
    return out;
}

class Coding : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()); }
    std::string path(const std::string& name) const { return dir / name; }
    const char* p(const std::string& name) {
        held_.push_back(path(name));
        return held_.back().c_str();
    }
    testing::TempFolder dir;

private:
    std::deque<std::string> held_;
};

TEST(BitRotation, RotatesThroughTheOtherEnd) {
    EXPECT_EQ(rbitchar_(0x01, 1), 0x80);
    EXPECT_EQ(lbitchar_(0x80, 1), 0x01);
    EXPECT_EQ(rbitchar_(0x0F, 2), 0xC3);
    EXPECT_EQ(lbitchar_(0x81, 3), 0x0C);
    for (int c = 0; c < 256; ++c) {
        const auto byte = static_cast<unsigned char>(c);
        EXPECT_EQ(rbitchar_(byte, 0), c);
        EXPECT_EQ(lbitchar_(byte, 8), c);
        EXPECT_EQ(rbitchar_(byte, -3), c);
        for (int n = 1; n <= 17; ++n) {
            EXPECT_EQ(lbitchar_(static_cast<unsigned char>(rbitchar_(byte, n)), n), c);
            EXPECT_EQ(rbitchar_(byte, n), lbitchar_(byte, 8 - n % 8));
        }
    }
    const std::pair<int, int> amounts[] = {{26, 7}, {22, 6}, {14, 5},  {10, 4}, {6, 3},
                                           {4, 2},  {1, 1},  {143, 7}, {0, 7}};
    for (auto [next, amount] : amounts) EXPECT_EQ(keycoding::rotation_for(static_cast<std::uint8_t>(next)), amount);
}

TEST(KeyExpansion, GivesANulFreeKeyOfTheBufferLessOneFromTheKeyAlone) {
    for (const char* key : {"a", "CLAVE", "una clave bastante larga, con espacios"}) {
        const std::size_t length = std::strlen(key);
        // Exactly 14 * L bytes: AddressSanitizer catches a write past them.
        auto buffer = std::make_unique<char[]>(14 * length);
        ASSERT_EQ(expandeclave_(key, buffer.get()), static_cast<int>(14 * length - 1));
        EXPECT_EQ(std::strlen(buffer.get()), 14 * length - 1);
        EXPECT_EQ(working_key(key), working_key(key));
    }
    EXPECT_NE(working_key("CLAVE"), working_key("CLAVF"));
    EXPECT_NE(working_key("ab"), working_key("ba"));
    char untouched[4] = "xyz";
    EXPECT_EQ(expandeclave_("", untouched), 0);
    EXPECT_STREQ(untouched, "xyz");
}

TEST_F(Coding, XorCodingUsesTheKeyCyclicallyAcrossBlocks) {
    const Bytes in = sample(600000, true);
    write_file(path("in"), in);
    EXPECT_EQ(codef_(p("in"), p("coded"), "a"), 1);
    EXPECT_EQ(read_bytes(path("coded")), xor_with(in, {0x61}));
    EXPECT_EQ(codef_(p("in"), p("coded"), "Siete!!"), 1);
    EXPECT_EQ(read_bytes(path("coded")), xor_with(in, {'S', 'i', 'e', 't', 'e', '!', '!'}));
    EXPECT_EQ(codef1_(p("in"), p("coded1"), "Siete!!"), 1);
    EXPECT_EQ(read_bytes(path("coded1")), read_bytes(path("coded")));
    EXPECT_EQ(codef_(p("coded"), p("back"), "Siete!!"), 1);
    EXPECT_EQ(read_bytes(path("back")), in);
    // A key longer than the file: only its first bytes count.
    write_file(path("short"), {1, 2, 3});
    EXPECT_EQ(codef_(p("short"), p("coded"), "ABCDEFGH"), 1);
    EXPECT_EQ(read_bytes(path("coded")), (Bytes{1 ^ 'A', 2 ^ 'B', 3 ^ 'C'}));
}

TEST_F(Coding, LargeFilesGiveTheSameBytes) {
    // Neither the size nor the key's length divides the blocks, so key
    // positions straddle every boundary.
    const Bytes in = sample((17u << 20) + 12345, false);
    write_file(path("in"), in);
    EXPECT_EQ(codef_(p("in"), p("coded"), "Siete!!"), 1);
    EXPECT_EQ(read_bytes(path("coded")), xor_with(in, {'S', 'i', 'e', 't', 'e', '!', '!'}));
    write_file(path("coded"), Bytes(100, 'x'));  // an existing, longer-lived target is replaced whole
    EXPECT_EQ(codef_(p("in"), p("coded"), "abcdefghijklm"), 1);
    EXPECT_EQ(codef_(p("coded"), p("back"), "abcdefghijklm"), 1);
    EXPECT_EQ(read_bytes(path("back")), in);
}

TEST(CodingLoops, MatchTheByteByByteDefinitionsAtEveryBoundary) {
    // The vector loops against the definitions, one byte at a time. Odd
    // sizes, key lengths and source pieces put the key's wrap, the vector
    // steps, the pieces the loops take and the blocks at every offset of one
    // another; key bytes from 128 up catch a sign taken for a value.
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> byte(0, 255), key_byte(1, 255);
    const std::size_t block = blocks::kBlockSize;
    const std::size_t sizes[] = {0, 1, 31, 32, 33, 16383, 16385, block - 1, block + 33, 2 * block + 16411};
    const std::size_t key_lengths[] = {1, 2, 3, 31, 32, 33, 255, 16417};
    for (const std::size_t key_length : key_lengths) {
        Bytes key(key_length);
        for (auto& b : key) b = static_cast<std::uint8_t>(key_byte(rng));
        const keycoding::Key k{key.data(), key.size()};
        for (const std::size_t size : sizes) {
            SCOPED_TRACE(::testing::Message() << "key of " << key_length << ", " << size << " bytes");
            Bytes data(size);
            for (auto& b : data) b = static_cast<std::uint8_t>(byte(rng));
            const Bytes xored = xor_with(data, key), rotated = rotated_with(data, key);
            for (const std::size_t piece : {block, std::size_t{4099}, std::size_t{7}}) {
                if (piece == 7 && size > 40000) continue;
                auto run = [&](const Bytes& in, auto&& code) {
                    testing::MemorySource source(in.data(), in.size(), piece);
                    testing::MemorySink sink;
                    EXPECT_TRUE(code(source, sink));
                    return sink.bytes;
                };
                EXPECT_EQ(run(data, [&](auto& in, auto& out) { return keycoding::xor_code(k, in, out); }), xored);
                EXPECT_EQ(run(data, [&](auto& in, auto& out) { return keycoding::rotate_code(k, false, in, out); }),
                          rotated);
                EXPECT_EQ(run(rotated, [&](auto& in, auto& out) { return keycoding::rotate_code(k, true, in, out); }),
                          data);
            }
        }
    }
}

TEST_F(Coding, RotatingCodingFollowsTheWorkingKeyAndIsUndone) {
    const Bytes in = sample(300000, true);
    write_file(path("in"), in);
    ASSERT_EQ(codebitf_(p("in"), p("coded"), "CLAVE"), 1);
    EXPECT_EQ(read_bytes(path("coded")), rotated_with(in, working_key("CLAVE")));
    ASSERT_EQ(decodebitf_(p("coded"), p("back"), "CLAVE"), 1);
    EXPECT_EQ(read_bytes(path("back")), in);
    ASSERT_EQ(decodebitf_(p("coded"), p("wrong"), "CLAVF"), 1);
    EXPECT_NE(read_bytes(path("wrong")), in);
}

TEST_F(Coding, EmptyKeyIsRefusedWithoutTouchingFiles) {
    write_file(path("in"), {'a', 0, 'b'});
    for (auto routine : {codef_, codef1_, codebitf_, decodebitf_, codexef_, dcodexef_, codexebisf_, decodexebisf_}) {
        EXPECT_EQ(routine(p("in"), p("out"), ""), 0);
        EXPECT_EQ(dir.names(), std::vector<std::string>{"in"});
    }
}

// The values that callers store and compare stay what they are, whatever the
// names.
static_assert(codexe_completo == 15 && codexe_solo_codificado == 4 && codexebis_solo_codificado == 20 &&
              dcodexe_solo_decodificado == 12);

TEST_F(Coding, PipelinesCodeCompressedDataAndRestoreIt) {
    struct Case {
        const char* name;
        Bytes data;
        int coded, decoded;  // zero-run pipeline
        int coded_bis;       // extended pipeline
    };
    const Case cases[] = {
        {"zeros", sample(400000, true), codexe_completo, codexe_completo, codexe_completo},
        {"no zeros", sample(5000, false), codexe_solo_codificado, dcodexe_solo_decodificado, codexebis_solo_codificado},
        {"empty", {}, codexe_solo_codificado, dcodexe_solo_decodificado, codexebis_solo_codificado},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(path("in"), c.data);
        ASSERT_EQ(codexef_(p("in"), p("coded"), "CLAVE"), c.coded);
        const Bytes packed = c.coded == codexe_completo ? reference::encode_plain(c.data) : c.data;
        EXPECT_EQ(read_bytes(path("coded")), xor_with(packed, {'C', 'L', 'A', 'V', 'E'}));
        ASSERT_EQ(dcodexef_(p("coded"), p("back"), "CLAVE"), c.decoded);
        EXPECT_EQ(read_bytes(path("back")), c.data);

        ASSERT_EQ(codexebisf_(p("in"), p("coded"), "CLAVE"), c.coded_bis);
        const Bytes packed_bis = c.coded_bis == codexe_completo ? reference::encode_extended(c.data) : c.data;
        EXPECT_EQ(read_bytes(path("coded")), xor_with(packed_bis, working_key("CLAVE")));
        ASSERT_EQ(decodexebisf_(p("coded"), p("back"), "CLAVE"), c.decoded);
        EXPECT_EQ(read_bytes(path("back")), c.data);
        // No intermediate file stays behind.
        testing::expect_only(dir, {"back", "coded", "in"});
    }
}

TEST_F(Coding, PipelinesReadAPipeOnce) {
    // A pipe can't be read a second time, for the zero test and then for the
    // coding: what the pipeline reads once must be all it codes.
    for (const Bytes& data : {sample(20000, true), sample(20000, false)}) {
        const bool zeros = std::count(data.begin(), data.end(), 0) > 0;
        using Routine = int (*)(const char*, const char*, const char*);
        const std::tuple<Routine, Routine, int> pipelines[] = {{codexef_, dcodexef_, codexe_solo_codificado},
                                                               {codexebisf_, decodexebisf_, codexebis_solo_codificado}};
        for (auto [code, decode, plain] : pipelines) {
            testing::Pipe pipe;
            ASSERT_TRUE(pipe.ok());
            ASSERT_EQ(::fcntl(pipe.write_end(), F_SETPIPE_SZ, 65536), 65536);
            ASSERT_EQ(::write(pipe.write_end(), data.data(), data.size()), static_cast<ssize_t>(data.size()));
            pipe.close_write_end();
            EXPECT_EQ(code(("/proc/self/fd/" + std::to_string(pipe.read_end())).c_str(), p("coded"), "K"),
                      zeros ? codexe_completo : plain);
            pipe.close_read_end();
            EXPECT_EQ(decode(p("coded"), p("back"), "K"), zeros ? codexe_completo : dcodexe_solo_decodificado);
            EXPECT_EQ(read_bytes(path("back")), data);
        }
    }
    testing::expect_only(dir, {"back", "coded"});
}

TEST_F(Coding, PipelineFlagsTellTheStepThatFailed) {
    write_file(path("zeros"), {'a', 0, 0, 'b'});
    write_file(path("plain"), {'a', 'b'});
    // Nothing can be read: nothing is produced.
    EXPECT_EQ(codexef_(p("missing"), p("out"), "K"), 0);
    EXPECT_EQ(codexebisf_(p("missing"), p("out"), "K"), 0);
    EXPECT_EQ(dcodexef_(p("missing"), p("out"), "K"), 0);
    EXPECT_EQ(decodexebisf_(p("missing"), p("out"), "K"), 0);
    // No folder for the intermediate file or the target.
    EXPECT_EQ(codexef_(p("zeros"), p("none/out"), "K"), codexe_ceros);
    EXPECT_EQ(codexef_(p("plain"), p("none/out"), "K"), 0);
    EXPECT_EQ(dcodexef_(p("zeros"), p("none/out"), "K"), 0);
    testing::expect_only(dir, {"plain", "zeros"});

    // A target that is a folder: the step into it fails. The source still
    // holds the data, so the intermediate file goes too, from beside the
    // target and from TMPDIR.
    ASSERT_EQ(::mkdir(p("target"), 0700), 0);
    write_file(path("target") + "/inside", Bytes{});
    const testing::TempFolderSet tmp(dir.path());
    write_file(path("coded"), xor_with(reference::encode_plain({'a', 0, 'b'}), {'K'}));
    EXPECT_EQ(codexef_(p("zeros"), p("target"), "K"), codexe_ceros | codexe_comprimido);
    EXPECT_EQ(codexebisf_(p("zeros"), p("target"), "K"), codexe_ceros | codexe_comprimido);
    EXPECT_EQ(dcodexef_(p("coded"), p("target"), "K"), codexe_codificado | codexe_ceros);
    EXPECT_EQ(dcodexef_(p("plain"), p("target"), "K"), codexe_codificado);
    EXPECT_EQ(decodexebisf_(p("plain"), p("target"), "K"), codexe_codificado);
    testing::expect_only(dir, {"coded", "plain", "target", "zeros"});
    EXPECT_EQ(std::filesystem::directory_iterator(path("target"))->path().filename(), "inside");
}

// Every routine that writes a file, with a source and the result it gives
// when it succeeds.
struct Writer {
    const char* name;
    testing::Routine run;
    const char* source;
    int success;
};

class Writers : public Coding {
protected:
    void SetUp() override {
        Coding::SetUp();
        write_file(path("data"), sample(300000, true));
        write_file(path("plain"), sample(5000, false));
        for (const char* name : {"data", "plain"}) {
            ASSERT_NE(codexef_(p(name), p(std::string(name) + ".x"), "CLAVE"), 0);
            ASSERT_NE(codexebisf_(p(name), p(std::string(name) + ".bis"), "CLAVE"), 0);
        }
    }
    static testing::Routine keyed(int (*routine)(const char*, const char*, const char*)) {
        return [routine](const char* s, const char* t) { return routine(s, t, "CLAVE"); };
    }
    std::vector<Writer> writers() {
        const std::string copy = path("moved");
        return {
            {"codef", keyed(codef_), "data", 1},
            {"codebitf", keyed(codebitf_), "data", 1},
            {"decodebitf", keyed(decodebitf_), "data", 1},
            {"copyf", copyf_, "data", 1},
            // From a copy, which it removes; a source that can't be copied is moved itself.
            {"movef",
             [copy](const char* s, const char* t) { return movef_(copyf_(s, copy.c_str()) ? copy.c_str() : s, t); },
             "data", 1},
            {"codexef", keyed(codexef_), "data", codexe_completo},
            {"codexef", keyed(codexef_), "plain", codexe_solo_codificado},
            {"dcodexef", keyed(dcodexef_), "data.x", codexe_completo},
            {"dcodexef", keyed(dcodexef_), "plain.x", dcodexe_solo_decodificado},
            {"codexebisf", keyed(codexebisf_), "data", codexe_completo},
            {"codexebisf", keyed(codexebisf_), "plain", codexebis_solo_codificado},
            {"decodexebisf", keyed(decodexebisf_), "data.bis", codexe_completo},
            {"decodexebisf", keyed(decodexebisf_), "plain.bis", dcodexe_solo_decodificado},
        };
    }
};

TEST_F(Writers, OddTargetsAreWrittenThroughAndStayWhatTheyWere) {
    for (const Writer& w : writers()) {
        SCOPED_TRACE(std::string(w.name) + " " + w.source);
        testing::check_odd_targets(w.run, path(w.source), [&w](int r) { return r == w.success; });
    }
}

TEST_F(Writers, SourcesThatFailAtOnceLeaveTheTargetAsItWas) {
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.name);
        testing::check_failing_sources(w.run);
    }
}

// Runs a routine in a child whose files may not grow past `limit` bytes,
// with SIGXFSZ ignored as ficheros ignores it: a write past the limit fails
// (EFBIG). The routine's result, or -1 if the child did not end by itself.
int run_with_file_size_limit(const testing::Routine& routine, const std::string& source, const std::string& target,
                             rlim_t limit) {
    return testing::run_in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit most = {limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &most) != 0) return 99;
        return routine(source.c_str(), target.c_str());
    });
}

TEST_F(Writers, AFailedRunLeavesLinkedTargetsAsTheyWere) {
    // A link's file is replaced where it lies and a file of two names gets its
    // new content only once it is whole, so a write that fails half-way (here
    // past a file-size limit) leaves them, and a dangling link, untouched.
    const testing::TempFolderSet tmp(dir.path());
    const Bytes old = {'o', 'l', 'd'};
    write_file(path("linked"), old);
    ASSERT_EQ(::symlink("linked", p("link")), 0);
    ASSERT_EQ(::symlink("nowhere", p("dangling")), 0);
    write_file(path("first"), old);
    ASSERT_EQ(::link(p("first"), p("second")), 0);
    std::vector<std::string> names = dir.names();
    for (const Writer& w : writers()) {
        if (std::string(w.source).rfind("data", 0) != 0) continue;  // the large sources only
        SCOPED_TRACE(std::string(w.name) + " " + w.source);
        for (const char* target : {"link", "dangling", "second"}) {
            // movef renames its source onto what a link names: nothing is
            // written, nothing fails. A file of several names gets a copy.
            if (std::string(w.name) == "movef" && std::string(target) != "second") continue;
            EXPECT_NE(run_with_file_size_limit(w.run, path(w.source), path(target), 16 << 10), w.success) << target;
        }
        EXPECT_EQ(read_bytes(path("linked")), old);
        EXPECT_EQ(read_bytes(path("first")), old);
        EXPECT_EQ(testing::kind_of(path("link")), static_cast<mode_t>(S_IFLNK));
        EXPECT_EQ(testing::kind_of(path("dangling")), static_cast<mode_t>(S_IFLNK));
        struct stat st;
        ASSERT_EQ(::stat(p("first"), &st), 0);
        EXPECT_EQ(st.st_nlink, 2u);
        testing::expect_only(dir, names);
    }
}

TEST_F(Coding, KilledRunLeavesTheOldTargetWhole) {
    // The source is a FIFO fed one part: the run has written that part into
    // its new content and waits for more when it is killed.
    const Bytes old = sample(1000, true), part(4096, 'a');
    write_file(path("target"), old);
    ASSERT_EQ(::mkfifo(p("source"), 0600), 0);
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, dir.path().c_str(), IN_MODIFY), 0);
    const pid_t child = testing::start_in_child([&] { return codef_(p("source"), p("target"), "K"); });
    ASSERT_GE(child, 0);
    const int feed = ::open(p("source"), O_WRONLY | O_CLOEXEC);  // once the run has opened it
    ASSERT_GE(feed, 0);
    ASSERT_EQ(::write(feed, part.data(), part.size()), static_cast<ssize_t>(part.size()));
    // Until a file in the folder holds the part: the staged new content, or
    // the target itself where a run writes straight into it.
    std::string written;
    for (bool waiting = true; waiting && written.empty();) {
        pollfd ready = {watch, POLLIN, 0};
        waiting = ::poll(&ready, 1, 60000) == 1;
        alignas(inotify_event) char events[4096];
        const ssize_t n = waiting ? ::read(watch, events, sizeof events) : 0;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(events + at);
            if (e->len > 0 && std::string(e->name).rfind("target", 0) == 0 &&
                read_bytes(path(e->name)).size() == part.size())
                written = e->name;
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    }
    ::kill(child, SIGKILL);
    const int status = testing::wait_for_child(child);
    ::close(feed);
    ::close(watch);
    ASSERT_NE(written, "") << "the run wrote nothing";
    EXPECT_EQ(status, -1) << "the run ended by itself, not by the kill";
    EXPECT_EQ(read_bytes(path("target")), old);
    EXPECT_NE(written, "target");
    EXPECT_EQ(read_bytes(path(written)), xor_with(part, {'K'}));
}

// Makes `folder` a file system of 1 MiB, seen by this process only. "" when
// done; else why it can't be (the test is then skipped).
std::string mount_small_disk(const char* folder) {
    if (::unshare(CLONE_NEWNS) != 0) return std::string("no mount namespace of its own: ") + std::strerror(errno);
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 || ::mkdir(folder, 0700) != 0)
        return std::string("can't set up the mount: ") + std::strerror(errno);
    if (::mount("tmpfs", folder, "tmpfs", 0, "size=1m") != 0)
        return std::string("no tmpfs can be mounted: ") + std::strerror(errno);
    return "";
}

TEST_F(Coding, FullDiskLeavesTheOldTargetWhole) {
    const std::string refused = mount_small_disk(p("small"));
    if (!refused.empty()) GTEST_SKIP() << refused;
    // More than the file system holds, over an old target that fits.
    const Bytes old = sample(256 << 10, true);
    write_file(path("small/target"), old);
    write_file(path("big"), sample(1536 << 10, false));
    ASSERT_EQ(codexef_(p("big"), p("big.x"), "K"), codexe_solo_codificado);
    for (auto routine : {codef_, dcodexef_}) {
        fileio::clear_failure();
        EXPECT_EQ(routine(p(routine == codef_ ? "big" : "big.x"), p("small/target"), "K"), 0);
        EXPECT_EQ(fileio::failure().error, ENOSPC) << fileio::describe(fileio::failure());
        EXPECT_EQ(read_bytes(path("small/target")), old);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path("small")), {}), 1);
    }
    // The codings that write what they read ask for the room first, so
    // they fail before reading a byte.
    static int reads;
    reads = 0;
    fileio::set_progress_observer([](const char*, std::uint64_t, std::uint64_t) { ++reads; });
    for (auto routine : {codef_, codebitf_, decodebitf_}) EXPECT_EQ(routine(p("big"), p("small/target"), "K"), 0);
    fileio::set_progress_observer(nullptr);
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(read_bytes(path("small/target")), old);
    ::umount2(p("small"), MNT_DETACH);
}

TEST_F(Coding, FullDiskLeavesEveryNameOfAFileOfSeveralNamesAsItWas) {
    const std::string refused = mount_small_disk(p("small"));
    if (!refused.empty()) GTEST_SKIP() << refused;
    // The new content fits beside the old; copying it into place does not:
    // the room is asked for first, and refused before a byte changes.
    const Bytes old = sample(100 << 10, true);
    write_file(path("small/first"), old);
    ASSERT_EQ(::link(p("small/first"), p("small/second")), 0);
    const testing::TempFolderSet tmp(dir.path());
    write_file(path("plain"), sample(600 << 10, false, 9));  // no zero byte: every routine's output is as long
    ASSERT_EQ(codexef_(p("plain"), p("plain.x"), "K"), codexe_solo_codificado);
    ASSERT_EQ(codexebisf_(p("plain"), p("plain.bis"), "K"), codexebis_solo_codificado);
    using Keyed = int (*)(const char*, const char*, const char*);
    auto keyed = [](Keyed routine) { return [routine](const char* s, const char* t) { return routine(s, t, "K"); }; };
    const std::vector<Writer> writers = {
        {"comprexe", comprexe_, "plain", 1},
        {"dcomprexe", dcomprexe_, "plain", 1},
        {"comprexebis", comprexebis_, "plain", 1},
        {"dcomprexebis", dcomprexebis_, "plain", 1},
        {"codef", keyed(codef_), "plain", 1},
        {"codef1", keyed(codef1_), "plain", 1},
        {"codebitf", keyed(codebitf_), "plain", 1},
        {"decodebitf", keyed(decodebitf_), "plain", 1},
        {"codexef", keyed(codexef_), "plain", 4},
        {"dcodexef", keyed(dcodexef_), "plain.x", 12},
        {"codexebisf", keyed(codexebisf_), "plain", 20},
        {"decodexebisf", keyed(decodexebisf_), "plain.bis", 12},
        {"copyf", copyf_, "plain", 1},
        {"movef", movef_, "plain", 1},
    };
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.name);
        fileio::clear_failure();
        EXPECT_NE(w.run(p(w.source), p("small/second")), w.success);
        EXPECT_EQ(fileio::failure().error, ENOSPC) << fileio::describe(fileio::failure());
        EXPECT_EQ(std::string(fileio::failure().kept), "");
        EXPECT_EQ(read_bytes(path("small/first")), old);
        struct stat st;
        ASSERT_EQ(::stat(p("small/second"), &st), 0);
        EXPECT_EQ(st.st_nlink, 2u);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path("small")), {}), 2);
    }
    EXPECT_TRUE(testing::exists(path("plain")));
    testing::expect_only(dir, {"plain", "plain.x", "plain.bis", "small"});
    ::umount2(p("small"), MNT_DETACH);
}

TEST_F(Coding, AFileWhoseFolderTakesNoOtherIsWrittenThrough) {
    // Run as a user who may write the file but not its folder: nothing can
    // be put beside it, so it is written itself, rather than refused.
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
    const uid_t nobody = 65534;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(p("shut"), 0755), 0);
    write_file(path("source"), {'n', 'e', 'w'});
    write_file(path("shut/target"), {'o', 'l', 'd', '!'});
    ASSERT_EQ(::chown(p("shut/target"), nobody, nobody), 0);
    EXPECT_EQ(testing::run_in_child([&] {
                  if (::setgroups(0, nullptr) != 0 || ::setresgid(nobody, nobody, nobody) != 0 ||
                      ::setresuid(nobody, nobody, nobody) != 0)
                      return 99;
                  return copyf_(p("source"), p("shut/target"));
              }),
              1);
    EXPECT_EQ(read_bytes(path("shut/target")), (Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path("shut")), {}), 1);
}

TEST(DecodingPipeline, RenamesWithinTheTargetsFolder) {
    // The target on one file system (tmpfs), the temporary folder on
    // another: the intermediate file is made beside the target, so the
    // rename still works and nothing is left anywhere.
    const std::filesystem::path tmp = std::filesystem::temp_directory_path();
    struct stat tmp_st, shm_st;
    if (::stat(tmp.c_str(), &tmp_st) != 0 || ::stat("/dev/shm", &shm_st) != 0 || tmp_st.st_dev == shm_st.st_dev)
        GTEST_SKIP() << "no second file system beside " << tmp;
    testing::TempFolder dir("/dev/shm");
    ASSERT_TRUE(dir.ok());
    const std::string plain = dir / "plain", coded = dir / "coded", target = dir / "new";
    const mode_t old_mask = ::umask(022);
    write_file(plain, {'a', 'b', 'c'});
    ASSERT_EQ(codexef_(plain.c_str(), coded.c_str(), "K"), codexe_solo_codificado);
    EXPECT_EQ(dcodexef_(coded.c_str(), target.c_str(), "K"), dcodexe_solo_decodificado);
    EXPECT_EQ(read_bytes(target), (Bytes{'a', 'b', 'c'}));
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);  // as a new file, not mkstemp's 0600
    // An existing target is replaced and keeps its permissions.
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    EXPECT_EQ(dcodexef_(coded.c_str(), target.c_str(), "K"), dcodexe_solo_decodificado);
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.names().size(), 3u);
    ::umask(old_mask);
}

// Changes the source the first time a routine reports progress, that is
// once its first block (or kernel copy step) is through: cuts it to `keep`
// bytes, or adds `more` at its end, as a log being rotated or written does.
struct SourceChange {
    static inline std::string path;
    static inline off_t keep = -1;
    static inline Bytes more;
    static inline bool done = false;
    static void on_progress(const char*, std::uint64_t, std::uint64_t) {
        if (done) return;
        done = true;
        if (keep >= 0) {
            ASSERT_EQ(::truncate(path.c_str(), keep), 0);
        } else {
            std::FILE* f = std::fopen(path.c_str(), "ab");
            ASSERT_NE(f, nullptr);
            ASSERT_EQ(std::fwrite(more.data(), 1, more.size(), f), more.size());
            std::fclose(f);
        }
    }
};

TEST_F(Coding, SourceCutOrGrownMidWayEndsWhereItsReadsEnd) {
    // The kernel copy goes in steps of 16 MiB, the codings in blocks.
    Bytes big((16u << 20) + 200000);
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
    const Bytes small = sample(3 * blocks::kBlockSize + 5, true);
    const Bytes more = sample(123457, true, 9);
    using Routine = std::function<int(const char*, const char*)>;
    const Bytes key = working_key("K");
    struct Case {
        const char* name;
        Routine run;
        const Bytes& data;
        off_t cut;
        std::function<Bytes(const Bytes&)> expected;
    };
    const Case cases[] = {
        {"copyf", copyf_, big, (16 << 20) + 12345, [](const Bytes& b) { return b; }},
        {"codef", [](const char* s, const char* t) { return codef_(s, t, "K"); }, small,
         blocks::kBlockSize + 999, [](const Bytes& b) { return xor_with(b, {'K'}); }},
        {"codebitf", [](const char* s, const char* t) { return codebitf_(s, t, "K"); }, small,
         2 * blocks::kBlockSize - 1, [&](const Bytes& b) { return rotated_with(b, key); }},
    };
    fileio::set_progress_observer(SourceChange::on_progress);
    for (const Case& c : cases) {
        for (const bool cut : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (cut ? " cut" : " grown"));
            write_file(path("in"), c.data);
            SourceChange::path = path("in");
            SourceChange::keep = cut ? c.cut : -1;
            SourceChange::more = more;
            SourceChange::done = false;
            EXPECT_EQ(c.run(p("in"), p("out")), 1);
            EXPECT_TRUE(SourceChange::done);
            Bytes read = c.data;
            if (cut)
                read.resize(static_cast<std::size_t>(c.cut));
            else
                read.insert(read.end(), more.begin(), more.end());
            EXPECT_TRUE(read_bytes(path("out")) == c.expected(read));
        }
    }
    fileio::set_progress_observer(nullptr);
}

TEST_F(Coding, CopiesWhatTheKernelCopyRefusesOrMisreads) {
    // A pipe, a file of /proc that says it is empty, and a sparse file.
    const Bytes data = sample(200000, true);
    testing::Pipe pipe;
    ASSERT_TRUE(pipe.ok());
    ASSERT_EQ(::fcntl(pipe.write_end(), F_SETPIPE_SZ, 262144), 262144);
    ASSERT_EQ(::write(pipe.write_end(), data.data(), data.size()), static_cast<ssize_t>(data.size()));
    pipe.close_write_end();
    EXPECT_EQ(copyf_(("/proc/self/fd/" + std::to_string(pipe.read_end())).c_str(), p("from pipe")), 1);
    pipe.close_read_end();
    EXPECT_EQ(read_bytes(path("from pipe")), data);

    EXPECT_EQ(copyf_("/proc/version", p("version")), 1);
    const Bytes version = read_bytes("/proc/version");
    EXPECT_FALSE(version.empty());
    EXPECT_EQ(read_bytes(path("version")), version);

    Bytes sparse(5u << 20, 0);
    sparse[0] = 'a';
    sparse[sparse.size() / 2] = 'b';
    const int fd = ::open(p("sparse"), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "a", 1, 0), 1);
    ASSERT_EQ(::pwrite(fd, "b", 1, static_cast<off_t>(sparse.size() / 2)), 1);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(sparse.size())), 0);
    ::close(fd);
    EXPECT_EQ(copyf_(p("sparse"), p("sparse copy")), 1);
    EXPECT_TRUE(read_bytes(path("sparse copy")) == sparse);
}

TEST_F(Coding, CopyAndMove) {
    const Bytes data = sample(300000, true);
    write_file(path("a"), data);
    EXPECT_EQ(copyf_(p("a"), p("b")), 1);
    EXPECT_EQ(read_bytes(path("b")), data);
    EXPECT_EQ(movef_(p("b"), p("c")), 1);
    EXPECT_FALSE(testing::exists(path("b")));
    EXPECT_EQ(read_bytes(path("c")), data);
    // A copy that fails keeps the source.
    EXPECT_EQ(movef_(p("c"), p("none/d")), 0);
    if (testing::exists("/dev/full")) {
        EXPECT_EQ(movef_(p("c"), "/dev/full"), 0);
    }
    EXPECT_EQ(read_bytes(path("c")), data);
    EXPECT_EQ(copyf_(p("missing"), p("d")), 0);
    EXPECT_FALSE(testing::exists(path("d")));
    EXPECT_EQ(codef_(p("a"), p("a"), "K"), 0);  // would empty the source
    EXPECT_EQ(read_bytes(path("a")), data);
}

TEST_F(Coding, MoveTakesOnlyARegularFile) {
    // Removing a device node, a FIFO or a socket would take it from everyone
    // who uses it; removing a link would leave its data where it was.
    write_file(path("data"), {'d'});
    ASSERT_EQ(::symlink("data", p("link")), 0);
    ASSERT_EQ(::mkdir(p("folder"), 0700), 0);
    std::vector<std::string> sources = {"link", "folder"};
    const int sock = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path("socket").size() < sizeof address.sun_path) {
        std::strcpy(address.sun_path, p("socket"));
        ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        sources.push_back("socket");
    }
    std::string why;
    if (!testing::device_node(dir, "null", 3, why).empty())
        sources.push_back("null");
    else
        std::cout << "no device node as a source: " << why << "\n";
    auto refused = [&](const std::string& name) {
        const mode_t kind = testing::kind_of(path(name));
        ::unlink(p("target"));
        fileio::clear_failure();
        EXPECT_EQ(movef_(p(name), p("target")), 0) << name;
        EXPECT_EQ(testing::kind_of(path(name)), kind) << name;
        EXPECT_EQ(testing::kind_of(path("target")), 0u) << name;
        EXPECT_NE(fileio::describe(fileio::failure()).find(path(name)), std::string::npos) << name;
    };
    for (const std::string& name : sources) refused(name);
    ::close(sock);
    EXPECT_EQ(read_bytes(path("data")), Bytes{'d'});
    // A FIFO last: a movef that opened it would wait for a writer for ever.
    if (HasFailure()) return;
    ASSERT_EQ(::mkfifo(p("fifo"), 0600), 0);
    refused("fifo");
}

TEST_F(Coding, PipelinesRefuseTheSourceAsItsOwnTarget) {
    // Through a link or another name too: coding a file onto itself would
    // destroy it, whatever the intermediate file holds.
    const Bytes data = sample(5000, true);
    write_file(path("s"), data);
    ASSERT_EQ(::symlink("s", p("link")), 0);
    ASSERT_EQ(::link(p("s"), p("other")), 0);
    const testing::TempFolderSet tmp(dir.path());
    using Routine = int (*)(const char*, const char*, const char*);
    for (Routine routine : {codexef_, dcodexef_, codexebisf_, decodexebisf_}) {
        for (const char* target : {"s", "link", "other"}) {
            fileio::clear_failure();
            EXPECT_EQ(routine(p("s"), p(target), "K"), 0) << target;
            EXPECT_EQ(read_bytes(path("s")), data) << target;
            EXPECT_NE(fileio::describe(fileio::failure()).find("over itself"), std::string::npos);
        }
    }
    testing::expect_only(dir, {"s", "link", "other"});
}

TEST_F(Coding, TheFailureRecordAndProgressArePublic) {
    // What a caller sees through <versos/util/failure.h> alone: the file at
    // fault, the system's words for why, per thread; and each block read.
    clear_file_failure();
    EXPECT_EQ(copyf_(p("missing"), p("out")), 0);
    const FileFailure f = last_file_failure();
    EXPECT_EQ(std::string(f.text), "cannot open '" + path("missing") + "' for reading: " + std::strerror(ENOENT));
    EXPECT_EQ(std::string(f.path), path("missing"));
    EXPECT_EQ(f.error, ENOENT);
    EXPECT_EQ(std::string(f.reason), std::strerror(ENOENT));
    EXPECT_EQ(std::string(f.kept), "");
    std::thread([] { EXPECT_EQ(std::string(last_file_failure().text), ""); }).join();
    clear_file_failure();
    EXPECT_EQ(std::string(last_file_failure().path), "");

    static std::vector<std::uint64_t> seen;
    static std::uint64_t total_seen = 0;
    seen.clear();
    set_file_progress([](const char*, std::uint64_t done, std::uint64_t total) {
        seen.push_back(done);
        total_seen = total;
    });
    const Bytes data = sample(3 * blocks::kBlockSize + 5, true);
    write_file(path("in"), data);
    EXPECT_EQ(copyf_(p("in"), p("out")), 1);
    set_file_progress(nullptr);
    EXPECT_EQ(total_seen, data.size());
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), data.size());
    const std::size_t told = seen.size();
    EXPECT_EQ(copyf_(p("in"), p("out")), 1);
    EXPECT_EQ(seen.size(), told);  // nothing once unset
}

TEST_F(Coding, MoveRenamesSoThatWhatTheSourceIsGivenMeanwhileReachesTheTarget) {
    // A writer that holds the source open (a log) goes on writing into the
    // moved file: there was no copy, and no moment to lose a line in.
    const mode_t old_mask = ::umask(022);
    const Bytes data = sample(300000, true);
    write_file(path("log"), data);
    ASSERT_EQ(::chmod(p("log"), 0600), 0);
    const int writer = ::open(p("log"), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    EXPECT_EQ(movef_(p("log"), p("moved")), 1);
    ASSERT_EQ(::write(writer, "late\n", 5), 5);
    ::close(writer);
    Bytes expected = data;
    expected.insert(expected.end(), {'l', 'a', 't', 'e', '\n'});
    EXPECT_EQ(read_bytes(path("moved")), expected);
    EXPECT_FALSE(testing::exists(path("log")));
    struct stat st;
    ASSERT_EQ(::stat(p("moved"), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);  // a new file's, as a copy would have
    // Onto the file a link names, which keeps its permissions.
    write_file(path("linked"), {'o', 'l', 'd'});
    ASSERT_EQ(::chmod(p("linked"), 0640), 0);
    ASSERT_EQ(::symlink("linked", p("link")), 0);
    EXPECT_EQ(movef_(p("moved"), p("link")), 1);
    EXPECT_EQ(read_bytes(path("linked")), expected);
    ASSERT_EQ(::stat(p("linked"), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(testing::kind_of(path("link")), static_cast<mode_t>(S_IFLNK));
    testing::expect_only(dir, {"link", "linked"});
    ::umask(old_mask);
}

TEST_F(Coding, MoveKeepsASourceThatChangedWhileItWasCopied) {
    // Into a file of two names, which is copied into: a line appended to the
    // source meanwhile must not be lost with it.
    const Bytes data = sample(300000, true), more = {'m', 'o', 'r', 'e'};
    write_file(path("source"), data);
    write_file(path("first"), {'o', 'l', 'd'});
    ASSERT_EQ(::link(p("first"), p("second")), 0);
    SourceChange::path = path("source");
    SourceChange::keep = -1;
    SourceChange::more = more;
    SourceChange::done = false;
    fileio::set_progress_observer(SourceChange::on_progress);
    fileio::clear_failure();
    EXPECT_EQ(movef_(p("source"), p("second")), 0);
    fileio::set_progress_observer(nullptr);
    EXPECT_TRUE(SourceChange::done);
    EXPECT_EQ(fileio::describe(fileio::failure()),
              "will not remove '" + path("source") + "': it changed while it was moved");
    Bytes grown = data;
    grown.insert(grown.end(), more.begin(), more.end());
    EXPECT_EQ(read_bytes(path("source")), grown);
    const Bytes copied = read_bytes(path("first"));
    ASSERT_GE(copied.size(), data.size());
    EXPECT_TRUE(std::equal(data.begin(), data.end(), copied.begin()));
    testing::expect_only(dir, {"source", "first", "second"});
}

TEST_F(Coding, AFileOfSeveralNamesEndsAsTheNewContentEnds) {
    // Copied into, not replaced: what was longer is cut, and old bytes where
    // the new content has a hole read as zeros.
    write_file(path("first"), Bytes(1 << 20, 'x'));
    ASSERT_EQ(::link(p("first"), p("second")), 0);
    write_file(path("short"), {'a', 'b', 'c'});
    EXPECT_EQ(copyf_(p("short"), p("second")), 1);
    EXPECT_EQ(read_bytes(path("first")), (Bytes{'a', 'b', 'c'}));
    Bytes sparse(700 << 10, 0);
    sparse[0] = 'a';
    sparse[512 << 10] = 'b';
    write_file(path("first"), Bytes(1 << 20, 'x'));
    const int fd = ::open(p("sparse"), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "a", 1, 0), 1);
    ASSERT_EQ(::pwrite(fd, "b", 1, 512 << 10), 1);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(sparse.size())), 0);
    ::close(fd);
    EXPECT_EQ(copyf_(p("sparse"), p("second")), 1);
    EXPECT_TRUE(read_bytes(path("first")) == sparse);
}

// The room a file takes on its disk.
std::uint64_t room_of(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_blocks) * 512 : UINT64_MAX;
}

// A file of 16 MiB holding 12 KiB of data in three places, the rest holes.
void write_sparse(const std::string& path, Bytes& expected) {
    expected.assign(16u << 20, 0);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    for (const std::size_t at : {std::size_t{0}, std::size_t{5} << 20, (std::size_t{16} << 20) - 4096}) {
        const Bytes block = sample(4096, false, static_cast<unsigned>(at >> 20));
        ASSERT_EQ(::pwrite(fd, block.data(), block.size(), static_cast<off_t>(at)), 4096);
        std::copy(block.begin(), block.end(), expected.begin() + static_cast<std::ptrdiff_t>(at));
    }
    ::close(fd);
}

TEST_F(Coding, CopiesAndMovesKeepHoles) {
    Bytes expected;
    write_sparse(path("sparse"), expected);
    if (room_of(path("sparse")) > (1u << 20)) GTEST_SKIP() << "this file system keeps no holes";
    EXPECT_EQ(copyf_(p("sparse"), p("copy")), 1);
    EXPECT_TRUE(read_bytes(path("copy")) == expected);
    EXPECT_LE(room_of(path("copy")), 1u << 20);
    // Moved to another file system, where it is copied.
    struct stat here, shm;
    if (::stat(dir.path().c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system beside " << dir.path();
    testing::TempFolder other("/dev/shm");
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(movef_(p("copy"), (other / "moved").c_str()), 1);
    EXPECT_FALSE(testing::exists(path("copy")));
    EXPECT_TRUE(read_bytes(other / "moved") == expected);
    EXPECT_LE(room_of(other / "moved"), 1u << 20);
}

}  // namespace
}  // namespace versos
