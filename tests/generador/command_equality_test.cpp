// The library gives, for every mode and seed, the bytes that the versos
// command puts on the clipboard, and so does the command's own dispatch run
// in this process: thousands of real runs of versos on a file clipboard,
// against the library and the dispatch. The UTF-8 form is checked against
// the C library's own Windows-1252 conversion.
#include <gtest/gtest.h>

#include <iconv.h>
#include <spawn.h>
#include <sys/wait.h>
#include <climits>
#include <cstdint>
#include <string>
#include <vector>
#include <versos/generador.h>

#include "core/buffers.h"
#include "core/dispatch.h"
#include "tests/doubles/scripted.h"
#include "tests/support/files.h"

namespace versos::testing {
namespace {

class LibraryAgainstCommand : public ::testing::Test {
protected:
    TempFolder folder;
    const std::string clip = folder / "clipboard";
    const std::string clip_env = "VERSOS_CLIPBOARD_FILE=" + clip;

    // versos MODE SEED; the exit status, or -1 if it did not exit.
    int versos(const std::string& mode, const std::string& seed) {
        const char* argv[] = {VERSOS_BIN, mode.c_str(), seed.c_str(), nullptr};
        const char* envp[] = {"PATH=/usr/bin:/bin", clip_env.c_str(), nullptr};
        pid_t pid;
        if (posix_spawn(&pid, VERSOS_BIN, nullptr, nullptr, const_cast<char**>(argv), const_cast<char**>(envp)) != 0)
            return -1;
        int status = 0;
        if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
        return WEXITSTATUS(status);
    }

    // The library's fragment of the mode and seed text against the item
    // that versos leaves on the clipboard for the same arguments.
    void expect_same(char mode, const std::string& seed_text) {
        const std::optional<std::string> bytes = fragmento(mode, lee_semilla(seed_text.c_str()));
        ASSERT_TRUE(bytes.has_value()) << mode;
        ASSERT_EQ(versos(std::string(1, mode), seed_text), 0) << mode << " " << seed_text;
        const std::optional<std::string> item = read_file(clip);
        ASSERT_TRUE(item.has_value()) << "no clipboard item for " << mode << " " << seed_text;
        EXPECT_EQ(*bytes, *item) << "versos " << mode << " '" << seed_text << "'";
        EXPECT_EQ(in_process(mode, seed_text), *item) << "dispatch in process " << mode << " '" << seed_text << "'";
        EXPECT_EQ(fragmento_utf8(mode, lee_semilla(seed_text.c_str())), as_utf8(*item)) << mode << " " << seed_text;
        ++compared;
    }

    // What the command's dispatch leaves on the clipboard, run in this
    // process.
    static std::string in_process(char mode, const std::string& seed_text) {
        MemoryClipboard clipboard;
        clear_buffers();  // as at the start of a process
        const char mode_text[2] = {mode, '\0'};
        const char* argv[] = {"versos", mode_text, seed_text.c_str()};
        if (run_verse_command(3, argv) != 0) return "<status not 0>";
        return clipboard.item.value_or("<no item>");
    }

    std::string as_utf8(const std::string& cp1252) {
        std::string in = cp1252, out(cp1252.size() * 3 + 1, '\0');
        char* ip = in.data();
        char* op = out.data();
        std::size_t il = in.size(), ol = out.size();
        if (to_utf8 == reinterpret_cast<iconv_t>(-1) || iconv(to_utf8, &ip, &il, &op, &ol) == static_cast<std::size_t>(-1))
            return "(iconv failed)";
        out.resize(out.size() - ol);
        return out;
    }

    void TearDown() override {
        if (to_utf8 != reinterpret_cast<iconv_t>(-1)) iconv_close(to_utf8);
    }

    iconv_t to_utf8 = iconv_open("UTF-8", "WINDOWS-1252");

    int compared = 0;
};

TEST_F(LibraryAgainstCommand, EveryModeOnThousandsOfSeeds) {
    ASSERT_TRUE(folder.ok());
    // Seeds at the edges of int and of the 15-bit draws, and texts that
    // atoi reads in its own way; each given to versos as text.
    std::vector<std::string> seeds = {
        "0", "1", "-1", "2", "7", "42", "32767", "32768", "65535", "65536", "-32768", "2147483647",
        "-2147483648", "-2147483647", "99999999999", "-99999999999", "42abc", "abc", "", "  17", "\t-3x", "+5",
        "-0", "0x1F", "1e5", "--4", "+-4", "0000000000000000000042", " \n 8"};
    const std::size_t fixed = seeds.size();
    seeds.resize(fixed + RANDOM_SEEDS_PER_MODE);  // then ints from all over the range, different ones for each mode
    std::uint32_t x = 2463534242u;
    for (const char mode : std::string(modos)) {
        for (std::size_t i = fixed; i < seeds.size(); ++i) {
            x ^= x << 13, x ^= x >> 17, x ^= x << 5;
            const int seed = static_cast<int>(x) >> (x % 24);  // large and small, both signs
            seeds[i] = std::to_string(seed);
        }
        for (const std::string& seed : seeds) {
            expect_same(mode, seed);
            if (HasFatalFailure()) return;
        }
    }
    EXPECT_EQ(compared, 41 * static_cast<int>(seeds.size()));
}

// Every other first byte: versos ends with status 1, and the library tells
// it from the empty fragment that mode w may give.
TEST_F(LibraryAgainstCommand, UnknownModesAreUnknownToBoth) {
    ASSERT_TRUE(folder.ok());
    int unknown = 0;
    for (int c = 1; c < 256; ++c) {
        const char mode = static_cast<char>(c);
        if (es_modo(mode)) continue;
        ++unknown;
        EXPECT_EQ(versos(std::string(1, mode) + "x", "7"), 1) << "byte " << c;
        EXPECT_FALSE(fragmento(mode, 7).has_value()) << "byte " << c;
        std::string out = "left over";
        EXPECT_FALSE(fragmento_utf8(mode, 7, out)) << "byte " << c;
        EXPECT_EQ(out, "");
    }
    EXPECT_EQ(unknown, 255 - 41);
    EXPECT_EQ(versos("", "7"), 1);
    EXPECT_FALSE(es_modo('\0'));
    EXPECT_FALSE(fragmento('\0', 7).has_value());
}

}  // namespace
}  // namespace versos::testing
