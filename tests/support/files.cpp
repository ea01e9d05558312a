#include "tests/support/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace versos::testing {

std::filesystem::path native_path(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (ok()) std::filesystem::remove_all(native_path(path_), ignored);
}

void expect_only(const TempFolder& dir, std::vector<std::string> expected) {
    std::vector<std::string> names = dir.names();
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
}

std::optional<std::string> read_file(const std::string& path) {
    std::ifstream in(native_path(path), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

Bytes read_bytes(const std::string& path) {
    const std::optional<std::string> text = read_file(path);
    return text ? Bytes(text->begin(), text->end()) : Bytes{};
}

void write_file(const std::string& path, std::string_view bytes) {
    std::ofstream out(native_path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << "cannot write " << path;
}

void write_file(const std::string& path, const Bytes& bytes) {
    write_file(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool exists(const std::string& path) { return std::filesystem::exists(native_path(path)); }

}  // namespace versos::testing
