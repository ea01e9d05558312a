// The file clipboard device in a scratch folder: for the tests on every
// system (clipboard_test.cpp) and those about Linux itself
// (clipboard_linux_test.cpp).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/clipboard/file/clipboard_file.h"
#include "tests/support/files.h"

namespace versos::testing {

class FileClipboardDevice : public ::testing::Test {
public:
    TempFolder folder;
    const std::string path = folder / "clipboard";
    FileClipboard clip{path.c_str(), false};

    std::string read(TextFormat format) {
        std::string out, why;
        EXPECT_EQ(clip.read_text(format, out, why), ReadResult::text) << why;
        return out;
    }
};

}  // namespace versos::testing
