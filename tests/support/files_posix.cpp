// The temporary folders of the tests on POSIX systems (files_windows.cpp:
// on Windows).
#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace versos::testing {
namespace {

std::string default_parent() {
    const char* base = std::getenv("TMPDIR");
    return base != nullptr && *base != '\0' ? base : "/tmp";
}

}  // namespace

TempFolder::TempFolder() : TempFolder(default_parent()) {}

TempFolder::TempFolder(const std::string& parent) {
    std::string pattern = parent + "/versos-test-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr)
        path_ = pattern;
    else
        ADD_FAILURE() << "mkdtemp in " << parent << ": " << std::strerror(errno);
}

std::vector<std::string> TempFolder::names() const {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) found.push_back(entry.path().filename());
    return found;
}

}  // namespace versos::testing
