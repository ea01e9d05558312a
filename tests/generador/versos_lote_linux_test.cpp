// versos-lote through a POSIX shell: its standard streams on files, and a
// full disk (/dev/full).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/generador/lote_run.h"

namespace versos::testing {
namespace {

// More lines than one read or one write takes, cut anywhere.
TEST(VersosLote, ManyLinesThroughFiles) {
    TempFolder folder;
    std::string input;
    std::vector<std::pair<char, int>> pairs;
    for (int i = 0; i < 60'000; ++i) {
        pairs.emplace_back(modos[i % 41], i * 7919 - 200'000'000);
        input += std::string(1, pairs.back().first) + " " + std::to_string(pairs.back().second) + "\n";
    }
    write_file(folder / "in", input);
    const ProcessResult s = run_program({"/bin/sh", "-c", "cd '" + folder.path() + "' && '" LOTE_BIN "' <in >out"},
                                        ProcessOptions{{"PATH=/usr/bin:/bin"}, "", 30});
    EXPECT_EQ(s.status, 0) << s.err;
    EXPECT_EQ(read_file(folder / "out"), lines_of(pairs));
}

TEST(VersosLote, AFullDisk) {
    // A write that fails is a failure, said once.
    const ProcessResult r = run_program({"/bin/sh", "-c", "'" LOTE_BIN "' x 1 100000 >/dev/full"},
                                        ProcessOptions{{"PATH=/usr/bin:/bin"}, "", 30});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "versos-lote: cannot write the fragments: No space left on device\n");
}

}  // namespace
}  // namespace versos::testing
