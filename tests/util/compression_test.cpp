#include <versos/util/compression.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "lib/util/files/compression_files.h"
#include "lib/util/files/zero_runs.h"
#include "tests/support/files.h"
#include "tests/support/memory_blocks.h"
#include "tests/util/odd_targets.h"
#include "tests/util/sample_bytes.h"
#include "tests/util/zero_run_reference.h"

namespace versos {
namespace {

using testing::Bytes;
using testing::read_bytes;
using testing::write_file;
using zeroruns::Format;

Bytes zeros(std::size_t n) { return Bytes(n, 0); }

Bytes join(std::initializer_list<Bytes> pieces) {
    Bytes all;
    for (const Bytes& p : pieces) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The block codec over memory handed out in pieces of `piece` bytes.
Bytes run_codec(bool decoding, Format format, const Bytes& in, std::size_t piece = blocks::kBlockSize) {
    testing::MemorySource source(in.data(), in.size(), piece);
    testing::MemorySink sink;
    const bool ok = decoding ? zeroruns::decode(format, source, sink) : zeroruns::encode(format, source, sink);
    EXPECT_TRUE(ok);
    return sink.bytes;
}

Bytes reference_encode(Format format, const Bytes& in) {
    return format == Format::plain ? reference::encode_plain(in) : reference::encode_extended(in);
}

class CompressionFiles : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.ok()); }
    std::string path(const char* name) const { return dir / name; }

    // Runs a file routine on `in` and returns the target's bytes.
    Bytes through(int (*routine)(const char*, const char*), const Bytes& in) {
        write_file(path("in"), in);
        EXPECT_EQ(routine(path("in").c_str(), path("out").c_str()), 1);
        return read_bytes(path("out"));
    }

    testing::TempFolder dir;
};

TEST_F(CompressionFiles, RunsAreWrittenAsTheFormatTablesShow) {
    struct Row {
        std::size_t n;
        Bytes plain, extended;
    };
    const Row rows[] = {
        {1, {0x00, 0x00}, {0x00, 0x00}},
        {2, {0x00, 0x01}, {0x00, 0x01}},
        {255, {0x00, 0xFE}, {0x00, 0xFE}},
        {256, {0x00, 0xFF}, {0x00, 0xFF, 0x00}},
        {257, {0x00, 0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x01}},
        {510, {0x00, 0xFF, 0x00, 0xFD}, {0x00, 0xFF, 0xFE}},
        {511, {0x00, 0xFF, 0x00, 0xFE}, {0x00, 0xFF, 0xFF, 0x00}},
        {512, {0x00, 0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF, 0x01}},
        {513, {0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00}, {0x00, 0xFF, 0xFF, 0x02}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.n);
        EXPECT_EQ(through(comprexe_, zeros(row.n)), row.plain);
        EXPECT_EQ(through(dcomprexe_, row.plain), zeros(row.n));
        EXPECT_EQ(through(comprexebis_, zeros(row.n)), row.extended);
        EXPECT_EQ(through(dcomprexebis_, row.extended), zeros(row.n));
    }
    // A run at the end of the file is written when the file ends.
    EXPECT_EQ(through(comprexe_, join({{'a'}, zeros(10)})), (Bytes{'a', 0x00, 0x09}));
}

TEST(ZeroRunCodecs, EveryRunLengthTo3000MatchesTheByteByByteAlgorithms) {
    for (Format format : {Format::plain, Format::extended}) {
        for (std::size_t n = 1; n <= 3000; ++n) {
            const Bytes inner = join({{'x'}, zeros(n), {'y'}});
            const Bytes encoded = run_codec(false, format, inner);
            ASSERT_EQ(encoded, reference_encode(format, inner)) << n;
            ASSERT_EQ(encoded.size(), 2 + zeroruns::run_cost(format, n)) << n;
            ASSERT_EQ(run_codec(true, format, encoded), inner) << n;
            // Runs that start and end the stream.
            const Bytes edges = join({zeros(n), {7}, zeros(n)});
            ASSERT_EQ(run_codec(true, format, run_codec(false, format, edges)), edges) << n;
        }
    }
}

TEST(ZeroRunCodecs, BlockBoundariesAnywhereGiveTheSameBytes) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 40; ++round) {
        const std::size_t max_stretch = round % 4 == 0 ? 3 : round % 4 == 1 ? 300 : round % 4 == 2 ? 1500 : 5000;
        const Bytes in = testing::runs_and_bytes(rng, 20000 + round * 997, max_stretch, round % 2 == 0);
        for (Format format : {Format::plain, Format::extended}) {
            const Bytes expected = reference_encode(format, in);
            for (std::size_t piece : {1, 2, 255, 256, 4093}) {
                ASSERT_EQ(run_codec(false, format, in, piece), expected) << round << " piece " << piece;
                ASSERT_EQ(run_codec(true, format, expected, piece), in) << round << " piece " << piece;
            }
        }
    }
}

TEST(ZeroRunCodecs, StreamsCutShortEndCleanly) {
    // Arbitrary streams are the fuzzers' work; these are the ends that lack
    // a count byte.
    EXPECT_EQ(run_codec(true, Format::plain, {'a', 'b', 0x00}), (Bytes{'a', 'b'}));
    EXPECT_EQ(run_codec(true, Format::extended, {0x00, 0xFF}), zeros(256));
    EXPECT_EQ(run_codec(true, Format::extended, {0x00, 0xFF, 0xFF}), zeros(511));
}

TEST_F(CompressionFiles, EmptyFilesAndFilesWithoutZerosPassUnchanged) {
    Bytes plain(70000);
    for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<std::uint8_t>(1 + i % 255);
    for (auto routine : {comprexe_, dcomprexe_, comprexebis_, dcomprexebis_}) {
        EXPECT_EQ(through(routine, {}), Bytes{});
        EXPECT_EQ(through(routine, plain), plain);
    }
    write_file(path("empty"), Bytes{});
    EXPECT_EQ(cerosahorradosf_(path("empty").c_str()), 0);
    EXPECT_EQ(cerosahorradosplusf_(path("empty").c_str()), 0);
    EXPECT_EQ(tienecerosf_(path("empty").c_str()), 0);
}

TEST_F(CompressionFiles, RunsAcrossTheFileBlocksOfTheStreams) {
    // Runs that straddle the read blocks of a real file, and one that fills
    // several blocks.
    const std::size_t block = blocks::kBlockSize;
    Bytes in(3 * block + 123, 'q');
    for (std::size_t i = block - 5; i < block + 700; ++i) in[i] = 0;
    for (std::size_t i = 2 * block - 1; i < 3 * block + 100; ++i) in[i] = 0;
    in.push_back(0);
    for (Format format : {Format::plain, Format::extended}) {
        const auto encoder = format == Format::plain ? comprexe_ : comprexebis_;
        const auto decoder = format == Format::plain ? dcomprexe_ : dcomprexebis_;
        const Bytes packed = through(encoder, in);
        EXPECT_EQ(packed, reference_encode(format, in));
        EXPECT_EQ(through(decoder, packed), in);
    }
}

TEST_F(CompressionFiles, ZeroTestFindsAZeroAnywhere) {
    EXPECT_EQ(tienecerosf_(path("missing").c_str()), -1);
    Bytes last_only(300000, 'a');
    last_only.back() = 0;
    write_file(path("f"), last_only);
    EXPECT_EQ(tienecerosf_(path("f").c_str()), 1);
    write_file(path("f"), Bytes(300000, 'a'));
    EXPECT_EQ(tienecerosf_(path("f").c_str()), 0);
    // A read error is not a zero: bytes without one, then the error.
    struct FailsAfterABlock : blocks::Source {
        int calls = 0;
        std::ptrdiff_t read(std::uint8_t* buf, std::size_t cap) override {
            if (calls++ > 0) return -1;
            std::memset(buf, 'a', cap);
            return static_cast<std::ptrdiff_t>(cap);
        }
    } failing;
    EXPECT_EQ(zeroruns::has_zero(failing), -1);
}

TEST_F(CompressionFiles, SavingEstimatesAgainstTheRealSizes) {
    std::mt19937 rng(99);
    for (int round = 0; round < 6; ++round) {
        const Bytes in = testing::runs_and_bytes(rng, 200000, round < 3 ? 40 : 2000, round % 2 == 1);
        write_file(path("in"), in);
        // The extended estimate is exactly what compression saves; the other
        // is 2 short for each run whose length is a multiple of 256.
        const long long extended_saved =
            static_cast<long long>(in.size()) - static_cast<long long>(reference::encode_extended(in).size());
        long long plain_saved =
            static_cast<long long>(in.size()) - static_cast<long long>(reference::encode_plain(in).size());
        for (std::size_t i = 0; i < in.size();) {
            std::size_t j = i;
            while (j < in.size() && in[j] == 0) ++j;
            if (j > i && (j - i) % 256 == 0) plain_saved -= 2;
            i = j > i ? j : i + 1;
        }
        EXPECT_EQ(cerosahorradosplusf_(path("in").c_str()), extended_saved);
        EXPECT_EQ(cerosahorradosplusf1_(path("in").c_str()), extended_saved);
        EXPECT_EQ(cerosahorradosf_(path("in").c_str()), plain_saved);
        EXPECT_EQ(cerosahorradosbisf_(path("in").c_str()), plain_saved);
    }
    write_file(path("in"), {'a', 0, 'b', 0, 0, 'c'});  // runs of 1 and 2: -1 + 0
    EXPECT_EQ(cerosahorradosf_(path("in").c_str()), -1);
    write_file(path("in"), zeros(256));
    EXPECT_EQ(cerosahorradosf_(path("in").c_str()), 252);
    EXPECT_EQ(cerosahorradosplusf_(path("in").c_str()), 253);
    for (auto estimate : {cerosahorradosf_, cerosahorradosbisf_, cerosahorradosplusf_, cerosahorradosplusf1_})
        EXPECT_EQ(estimate(path("missing").c_str()), -1);
}

// What numcerosmatf_ prints, with its result.
std::pair<int, std::string> report_of(const std::string& path, const std::string& capture) {
    std::fflush(stdout);
    const int saved = ::dup(1);
    const int file = ::open(capture.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(file, 1);
    ::close(file);
    const int result = numcerosmatf_(path.c_str());
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    const Bytes printed = read_bytes(capture);
    return {result, std::string(printed.begin(), printed.end())};
}

TEST_F(CompressionFiles, RunLengthReport) {
    write_file(path("in"), join({zeros(1), {'a'}, zeros(3), {'b'}, zeros(1), {'c'}, zeros(1500), {'d'}, zeros(1023)}));
    EXPECT_EQ(report_of(path("in"), path("report")),
              std::make_pair(0, std::string("\n1 = 2\n\n3 = 1\n\n1023 = 1\n\nMayor o igual a 1024 = 1\n"
                                            "\nM\xA0ximo n\xA3mero de ceros = 1500\n")));
    write_file(path("in"), Bytes{});
    EXPECT_EQ(report_of(path("in"), path("report")),
              std::make_pair(0, std::string("\nMayor o igual a 1024 = 0\n\nM\xA0ximo n\xA3mero de ceros = 0\n")));
    EXPECT_EQ(report_of(path("missing"), path("report")), std::make_pair(-1, std::string()));
}

TEST_F(CompressionFiles, FailuresAreReportedAndSpareTheFiles) {
    const std::string in = path("in"), out = path("out");
    for (auto routine : {comprexe_, dcomprexe_, comprexebis_, dcomprexebis_}) {
        // A missing source leaves the target alone.
        std::filesystem::remove(out);
        EXPECT_EQ(routine(path("missing").c_str(), out.c_str()), 0);
        EXPECT_FALSE(testing::exists(out));
        write_file(in, {'a', 0, 0, 'b'});
        EXPECT_EQ(routine(in.c_str(), path("no/such/folder").c_str()), 0);
        // Writing a file over itself would truncate it before it is read.
        EXPECT_EQ(routine(in.c_str(), in.c_str()), 0);
        EXPECT_EQ(read_bytes(in), (Bytes{'a', 0, 0, 'b'}));
        // A folder can be opened but not read.
        EXPECT_EQ(routine(dir.path().c_str(), out.c_str()), 0);
        // A full device: the write error is a failure, not success.
        if (testing::exists("/dev/full")) {
            EXPECT_EQ(routine(in.c_str(), "/dev/full"), 0);
        }
        EXPECT_EQ(routine(in.c_str(), "/dev/null"), 1);
    }
    EXPECT_EQ(tienecerosf_(dir.path().c_str()), -1);
    EXPECT_EQ(numcerosmatf_(dir.path().c_str()), -1);
}

TEST_F(CompressionFiles, OddTargetsAreWrittenThroughAndFailingSourcesSpareTheTarget) {
    std::mt19937 rng(7);
    write_file(path("in"), testing::runs_and_bytes(rng, 300000, 700, true));
    ASSERT_EQ(comprexe_(path("in").c_str(), path("in.z").c_str()), 1);
    ASSERT_EQ(comprexebis_(path("in").c_str(), path("in.bis").c_str()), 1);
    const std::pair<int (*)(const char*, const char*), const char*> codecs[] = {
        {comprexe_, "in"}, {dcomprexe_, "in.z"}, {comprexebis_, "in"}, {dcomprexebis_, "in.bis"}};
    for (const auto& [codec, source] : codecs) {
        SCOPED_TRACE(source);
        testing::check_odd_targets(codec, path(source), [](int r) { return r == 1; });
        testing::check_failing_sources(codec);
    }
}

}  // namespace
}  // namespace versos
