// The temporary folders of the tests on Windows: under the user's temporary
// folder, with UTF-8 names.
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <random>

namespace versos::testing {
namespace {

std::string utf8(const std::filesystem::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

}  // namespace

TempFolder::TempFolder() : TempFolder(utf8(std::filesystem::temp_directory_path().lexically_normal())) {}

TempFolder::TempFolder(const std::string& parent) {
    std::mt19937 draw{std::random_device{}() ^ GetCurrentProcessId()};
    for (int tries = 0; tries < 100; ++tries) {
        const bool separated = !parent.empty() && (parent.back() == '\\' || parent.back() == '/');
        const std::string path = parent + (separated ? "" : "\\") + "versos-test-" + std::to_string(draw());
        std::error_code error;
        if (std::filesystem::create_directory(native_path(path), error)) {
            path_ = path;
            return;
        }
        if (error) {
            ADD_FAILURE() << "cannot make a folder in " << parent << ": " << error.message();
            return;
        }
    }
    ADD_FAILURE() << "no free folder name in " << parent;
}

std::vector<std::string> TempFolder::names() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(native_path(path_)))
        found.push_back(utf8(entry.path().filename()));
    return found;
}

}  // namespace versos::testing
