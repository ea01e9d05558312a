// Temporary folders and whole-file reads and writes for the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace versos::testing {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder, removed with everything in it: under `parent`, or under
// TMPDIR (/tmp when unset; on Windows the user's temporary folder). Paths
// are UTF-8 on every system. A folder that can't be made fails the test.
class TempFolder {
public:
    TempFolder();
    explicit TempFolder(const std::string& parent);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // The names in the folder, in no particular order.
    std::vector<std::string> names() const;

private:
    std::string path_;
};

// The whole file; nothing when it can't be read.
std::optional<std::string> read_file(const std::string& path);
// The same as bytes; empty when it can't be read.
Bytes read_bytes(const std::string& path);

// Creates or replaces the file; a write that fails fails the test.
void write_file(const std::string& path, std::string_view bytes);
void write_file(const std::string& path, const Bytes& bytes);

bool exists(const std::string& path);

// The path of a UTF-8 name, for std::filesystem and the streams: on Windows
// a narrow name would be read in the system's code page.
std::filesystem::path native_path(const std::string& utf8);

// No intermediate or staged file left in the folder: only `expected` names.
void expect_only(const TempFolder& dir, std::vector<std::string> expected);

}  // namespace versos::testing
