// Temporary folders and whole-file reads and writes for the tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace versos::testing {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder, removed with everything in it: under `parent`, or under
// TMPDIR (/tmp when unset). A folder that can't be made fails the test.
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

// Nothing left in the folder but the `expected` names, in any order: no
// temporary, intermediate or staged file.
void expect_only(const TempFolder& dir, std::vector<std::string> expected);

}  // namespace versos::testing
