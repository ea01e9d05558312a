#include <versos/util/coding.h>
#include <versos/util/compression.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <algorithm>
#include <cstring>
#include <deque>

#include "lib/util/key_coding.h"
#include "tests/util/test_files.h"
#include "tests/util/zero_run_reference.h"

namespace versos {
namespace {

using testing::Bytes;
using testing::read_file;
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
    testing::ScratchDir dir;

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
    EXPECT_EQ(read_file(path("coded")), xor_with(in, {0x61}));
    EXPECT_EQ(codef_(p("in"), p("coded"), "Siete!!"), 1);
    EXPECT_EQ(read_file(path("coded")), xor_with(in, {'S', 'i', 'e', 't', 'e', '!', '!'}));
    EXPECT_EQ(codef1_(p("in"), p("coded1"), "Siete!!"), 1);
    EXPECT_EQ(read_file(path("coded1")), read_file(path("coded")));
    EXPECT_EQ(codef_(p("coded"), p("back"), "Siete!!"), 1);
    EXPECT_EQ(read_file(path("back")), in);
    // A key longer than the file: only its first bytes count.
    write_file(path("short"), {1, 2, 3});
    EXPECT_EQ(codef_(p("short"), p("coded"), "ABCDEFGH"), 1);
    EXPECT_EQ(read_file(path("coded")), (Bytes{1 ^ 'A', 2 ^ 'B', 3 ^ 'C'}));
}

TEST_F(Coding, LargeFilesCodedInChunksGiveTheSameBytes) {
    // Large enough for the two-thread path; neither the size nor the key's
    // length divides the chunks, so key positions straddle every boundary.
    const Bytes in = sample((17u << 20) + 12345, false);
    write_file(path("in"), in);
    EXPECT_EQ(codef_(p("in"), p("coded"), "Siete!!"), 1);
    EXPECT_EQ(read_file(path("coded")), xor_with(in, {'S', 'i', 'e', 't', 'e', '!', '!'}));
    write_file(path("coded"), Bytes(100, 'x'));  // an existing, longer-lived target is replaced whole
    EXPECT_EQ(codef_(p("in"), p("coded"), "abcdefghijklm"), 1);
    EXPECT_EQ(codef_(p("coded"), p("back"), "abcdefghijklm"), 1);
    EXPECT_EQ(read_file(path("back")), in);
}

TEST_F(Coding, RotatingCodingFollowsTheWorkingKeyAndIsUndone) {
    const Bytes in = sample(300000, true);
    write_file(path("in"), in);
    ASSERT_EQ(codebitf_(p("in"), p("coded"), "CLAVE"), 1);
    const Bytes key = working_key("CLAVE");
    Bytes expected(in.size());
    for (std::size_t k = 0; k < in.size(); ++k) {
        const std::uint8_t next = key[(k + 1) % key.size()];
        const int r = next % 13 == 0   ? 7
                      : next % 11 == 0 ? 6
                      : next % 7 == 0  ? 5
                      : next % 5 == 0  ? 4
                      : next % 3 == 0  ? 3
                      : next % 2 == 0  ? 2
                                       : 1;
        expected[k] = static_cast<std::uint8_t>(rbitchar_(in[k] ^ key[k % key.size()], r));
    }
    EXPECT_EQ(read_file(path("coded")), expected);
    ASSERT_EQ(decodebitf_(p("coded"), p("back"), "CLAVE"), 1);
    EXPECT_EQ(read_file(path("back")), in);
    ASSERT_EQ(decodebitf_(p("coded"), p("wrong"), "CLAVF"), 1);
    EXPECT_NE(read_file(path("wrong")), in);
}

TEST_F(Coding, EmptyKeyIsRefusedWithoutTouchingFiles) {
    write_file(path("in"), {'a', 0, 'b'});
    for (auto routine : {codef_, codef1_, codebitf_, decodebitf_, codexef_, dcodexef_, codexebisf_, decodexebisf_}) {
        EXPECT_EQ(routine(p("in"), p("out"), ""), 0);
        EXPECT_EQ(dir.names(), std::vector<std::string>{"in"});
    }
}

TEST_F(Coding, PipelinesCodeCompressedDataAndRestoreIt) {
    struct Case {
        const char* name;
        Bytes data;
        int coded, decoded;  // zero-run pipeline
        int coded_bis;       // extended pipeline
    };
    const Case cases[] = {
        {"zeros", sample(400000, true), 15, 15, 15},
        {"no zeros", sample(5000, false), 4, 12, 20},
        {"empty", {}, 4, 12, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(path("in"), c.data);
        ASSERT_EQ(codexef_(p("in"), p("coded"), "CLAVE"), c.coded);
        const Bytes packed = c.coded == 15 ? reference::encode_plain(c.data) : c.data;
        EXPECT_EQ(read_file(path("coded")), xor_with(packed, {'C', 'L', 'A', 'V', 'E'}));
        ASSERT_EQ(dcodexef_(p("coded"), p("back"), "CLAVE"), c.decoded);
        EXPECT_EQ(read_file(path("back")), c.data);

        ASSERT_EQ(codexebisf_(p("in"), p("coded"), "CLAVE"), c.coded_bis);
        const Bytes packed_bis = c.coded_bis == 15 ? reference::encode_extended(c.data) : c.data;
        EXPECT_EQ(read_file(path("coded")), xor_with(packed_bis, working_key("CLAVE")));
        ASSERT_EQ(decodexebisf_(p("coded"), p("back"), "CLAVE"), c.decoded);
        EXPECT_EQ(read_file(path("back")), c.data);
        // No intermediate file stays behind.
        std::vector<std::string> names = dir.names();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"back", "coded", "in"}));
    }
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
    EXPECT_EQ(codexef_(p("zeros"), p("none/out"), "K"), 1);
    EXPECT_EQ(codexef_(p("plain"), p("none/out"), "K"), 0);
    EXPECT_EQ(dcodexef_(p("zeros"), p("none/out"), "K"), 0);
    std::vector<std::string> names = dir.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"plain", "zeros"}));

    // A target that is a folder: the step into it fails, and the data of
    // the step before stays in the intermediate file, beside the target.
    ASSERT_EQ(::mkdir(p("target"), 0700), 0);
    write_file(path("target") + "/inside", {});
    auto kept = [&] {
        Bytes held;
        int found = 0;
        for (const std::string& name : dir.names()) {
            if (name.rfind("target.", 0) != 0) continue;
            ++found;
            held = read_file(path(name));
            std::filesystem::remove(path(name));
        }
        EXPECT_EQ(found, 1);
        return held;
    };
    EXPECT_EQ(codexef_(p("zeros"), p("target"), "K"), 3);
    EXPECT_EQ(kept(), reference::encode_plain({'a', 0, 0, 'b'}));
    EXPECT_EQ(codexebisf_(p("zeros"), p("target"), "K"), 3);
    EXPECT_EQ(kept(), reference::encode_extended({'a', 0, 0, 'b'}));
    write_file(path("coded"), xor_with(reference::encode_plain({'a', 0, 'b'}), {'K'}));
    EXPECT_EQ(dcodexef_(p("coded"), p("target"), "K"), 5);
    EXPECT_EQ(kept(), reference::encode_plain({'a', 0, 'b'}));
    EXPECT_EQ(dcodexef_(p("plain"), p("target"), "K"), 4);
    EXPECT_EQ(kept(), xor_with({'a', 'b'}, {'K'}));
    EXPECT_EQ(decodexebisf_(p("plain"), p("target"), "K"), 4);
    EXPECT_EQ(kept(), xor_with({'a', 'b'}, working_key("K")));
}

TEST(DecodingPipeline, RenamesWithinTheTargetsFolder) {
    // The target on one file system (tmpfs), the temporary folder on
    // another: the intermediate file is made beside the target, so the
    // rename still works and nothing is left anywhere.
    const std::filesystem::path tmp = std::filesystem::temp_directory_path();
    struct stat tmp_st, shm_st;
    if (::stat(tmp.c_str(), &tmp_st) != 0 || ::stat("/dev/shm", &shm_st) != 0 || tmp_st.st_dev == shm_st.st_dev)
        GTEST_SKIP() << "no second file system beside " << tmp;
    testing::ScratchDir dir("/dev/shm");
    ASSERT_TRUE(dir.ok());
    const std::string plain = dir / "plain", coded = dir / "coded", target = dir / "new";
    const mode_t old_mask = ::umask(022);
    write_file(plain, {'a', 'b', 'c'});
    ASSERT_EQ(codexef_(plain.c_str(), coded.c_str(), "K"), 4);
    EXPECT_EQ(dcodexef_(coded.c_str(), target.c_str(), "K"), 12);
    EXPECT_EQ(read_file(target), (Bytes{'a', 'b', 'c'}));
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);  // as a new file, not mkstemp's 0600
    // An existing target is replaced and keeps its permissions.
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    EXPECT_EQ(dcodexef_(coded.c_str(), target.c_str(), "K"), 12);
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(dir.names().size(), 3u);
    ::umask(old_mask);
}

TEST_F(Coding, CopyAndMove) {
    const Bytes data = sample(300000, true);
    write_file(path("a"), data);
    EXPECT_EQ(copyf_(p("a"), p("b")), 1);
    EXPECT_EQ(read_file(path("b")), data);
    EXPECT_EQ(movef_(p("b"), p("c")), 1);
    EXPECT_FALSE(testing::exists(path("b")));
    EXPECT_EQ(read_file(path("c")), data);
    // A copy that fails keeps the source.
    EXPECT_EQ(movef_(p("c"), p("none/d")), 0);
    if (testing::exists("/dev/full")) {
        EXPECT_EQ(movef_(p("c"), "/dev/full"), 0);
    }
    EXPECT_EQ(read_file(path("c")), data);
    EXPECT_EQ(copyf_(p("missing"), p("d")), 0);
    EXPECT_FALSE(testing::exists(path("d")));
    EXPECT_EQ(codef_(p("a"), p("a"), "K"), 0);  // would empty the source
    EXPECT_EQ(read_file(path("a")), data);
}

}  // namespace
}  // namespace versos
