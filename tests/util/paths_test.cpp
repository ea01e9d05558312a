// Path strings, fresh file names and file tests, on real files.
#include <versos/util.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/files.h"
#include "tests/support/process.h"

using namespace versos;

namespace {

// A fresh folder whose path has no full stop, so that the name routines see
// the whole folder path as the start of the name.
class Folder : public ::testing::Test {
protected:
    const versos::testing::TempFolder folder{"/tmp"};
    const std::string& dir = folder.path();
    void SetUp() override {
        ASSERT_TRUE(folder.ok());
        ASSERT_EQ(dir.find('.'), std::string::npos);
    }
    std::string make(const std::string& name, const std::string& bytes = "") {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
};

}  // namespace

TEST(PathParts, DirectoryNameAndExtension) {
    struct Case {
        const char* path;
        const char *name, *directory, *extension, *bare_name;
    };
    for (const Case& c : {Case{"C:\\dir\\nota.vieja.txt", "nota.vieja.txt", "C:\\dir\\", "txt", "nota.vieja"},
                          Case{"nota", "nota", "", "", "nota"},
                          // The extension is whatever follows the last full
                          // stop, even in a folder; the name only looks after
                          // the last backslash.
                          Case{"C:\\a.b\\nota", "nota", "C:\\a.b\\", "b\\nota", "nota"},
                          Case{"C:\\a\\.perfil", ".perfil", "C:\\a\\", "perfil", ""}}) {
        char out[64];
        sinruta_(out, c.path);
        EXPECT_STREQ(out, c.name);
        soloruta_(out, c.path);
        EXPECT_STREQ(out, c.directory);
        extension_(out, c.path);
        EXPECT_STREQ(out, c.extension);
        solonombre_(out, c.path);
        EXPECT_STREQ(out, c.bare_name);
    }
    EXPECT_EQ(revinstrchar_('a', "banana"), 6);
    EXPECT_EQ(revinstrchar_('x', "banana"), 0);
    EXPECT_EQ(numinstrchar_('a', "banana"), 3);
}

TEST_F(Folder, FreshNamesCountUpAndSkipWhatExists) {
    char target[256];
    const std::string base = dir + "/carta";
    EXPECT_EQ(hazFichNuevo_((base + ".doc").c_str(), target, "txt"), 0);
    EXPECT_EQ(std::string(target), base + ".txt");

    make("carta.txt");
    hazFichNuevo_((base + ".txt").c_str(), target, ".txt");  // no doubled full stop
    EXPECT_EQ(std::string(target), base + "_01.txt");

    for (int k = 1; k <= 9; ++k) make("carta_0" + std::to_string(k) + ".txt");
    // Something that exists but can't be read as a file is still taken.
    std::filesystem::create_directory(dir + "/carta_10.txt");
    // So is a link to nothing, where the system makes one (Wine does not).
    const bool link = versos::testing::make_dangling_link(dir + "/carta_11.txt");
    hazFichNuevo_((base + ".txt").c_str(), target, "txt");
    EXPECT_EQ(std::string(target), base + (link ? "_12.txt" : "_11.txt"));

    hazFichNuevo_(base.c_str(), target, "");
    EXPECT_EQ(std::string(target), base + ".");
}

TEST_F(Folder, FileTests) {
    const std::string missing = dir + "/nada";
    EXPECT_EQ(existfile_(missing.c_str()), 0);
    EXPECT_EQ(filelen_(missing.c_str()), 0);
    EXPECT_EQ(isexe_(missing.c_str()), -1);
    // A folder is not a file that can be opened.
    EXPECT_EQ(existfile_(dir.c_str()), 0);
    EXPECT_EQ(isexe_(dir.c_str()), -1);

    const std::string empty = make("vacio");
    EXPECT_EQ(existfile_(empty.c_str()), 1);
    EXPECT_EQ(isexe_(empty.c_str()), 0);
    EXPECT_EQ(isexe_(make("m", "M").c_str()), 0);
    EXPECT_EQ(isexe_(make("prog", std::string("MZ\0\0", 4)).c_str()), 1);
    EXPECT_EQ(filelen_(make("siete", "1234567").c_str()), 7);

    // Lengths beyond 32 bits (a sparse file: no real space is used).
    const std::string big = make("grande");
    const std::int64_t five_gib = 5LL << 30;
    std::error_code error;
    std::filesystem::resize_file(big, five_gib, error);
    ASSERT_FALSE(error) << error.message();
    EXPECT_EQ(filelen_(big.c_str()), five_gib);
}

TEST(TempFolder, ReadsTemp) {
    const char* saved = std::getenv("TEMP");
    const std::string old = saved ? saved : "";
    char out[256];
    versos::testing::set_environment("TEMP", "C:\\TEMP");
    fichtemp_(out, "x.tmp");
    EXPECT_STREQ(out, "C:\\TEMP\\x.tmp");
    versos::testing::unset_environment("TEMP");
    foldertemp_(out);
    EXPECT_STREQ(out, "");
    fichtemp_(out, "x.tmp");
    EXPECT_STREQ(out, "\\x.tmp");
    if (saved) versos::testing::set_environment("TEMP", old);
}
