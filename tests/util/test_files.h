// Scratch folders and whole-file reads and writes for the tests.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace versos::testing {

using Bytes = std::vector<std::uint8_t>;

class ScratchDir {
public:
    ScratchDir() : ScratchDir(std::filesystem::temp_directory_path()) {}
    explicit ScratchDir(const std::filesystem::path& parent) {
        std::string pattern = (parent / "versos-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    bool ok() const { return !path_.empty(); }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }
    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) found.push_back(entry.path().filename());
        return found;
    }

private:
    std::filesystem::path path_;
};

inline void write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool exists(const std::string& path) { return std::filesystem::exists(path); }

// Non-zero random bytes and runs of zeros, each stretch 1 to max_stretch
// bytes long, starting with a run when start_with_run.
inline Bytes runs_and_bytes(std::mt19937& rng, std::size_t size, std::size_t max_stretch, bool start_with_run) {
    Bytes out;
    std::uniform_int_distribution<std::size_t> length(1, max_stretch);
    std::uniform_int_distribution<int> byte(1, 255);
    bool zeros = start_with_run;
    while (out.size() < size) {
        const std::size_t n = length(rng);
        for (std::size_t i = 0; i < n && out.size() < size; ++i)
            out.push_back(zeros ? 0 : static_cast<std::uint8_t>(byte(rng)));
        zeros = !zeros;
    }
    return out;
}

}  // namespace versos::testing
