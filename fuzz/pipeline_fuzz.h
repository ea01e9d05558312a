// Fuzzes a decoding pipeline on files. The input is a key length byte, the
// key (NULs turned into 1s) and the coded file. Decoding must succeed as the
// reference says (XOR, then decompress when a zero shows), leave nothing
// behind, and coding the result again must decode to the same bytes.
#pragma once

#include <unistd.h>
#include <versos/util/coding.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/fuzz_check.h"

namespace versos::fuzz {

using reference::Bytes;

struct Pipeline {
    int (*code)(const char*, const char*, const char*);
    int (*decode)(const char*, const char*, const char*);
    int coded_without_compression;  // codexe_solo_codificado or codexebis_solo_codificado
    bool extended;
    Bytes (*coding_key)(const std::string&);  // the key the XOR step uses
};

// A folder of this process's own, removed when it exits.
inline const std::string& scratch() {
    struct Folder {
        Folder() {
            const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
            path = std::string(base) + "/versos-fuzz-XXXXXX";
            FUZZ_CHECK(::mkdtemp(path.data()) != nullptr);
        }
        ~Folder() { std::filesystem::remove_all(path); }
        std::string path;
    };
    static const Folder folder;
    return folder.path;
}

inline void put(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::size_t entries() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(scratch())) ++n;
    return n;
}

inline int pipeline_one_input(const Pipeline& p, const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t key_length = 1 + data[0] % 16;
    if (size < 1 + key_length) return 0;
    std::string key(reinterpret_cast<const char*>(data + 1), key_length);
    for (char& c : key)
        if (c == '\0') c = 1;
    const Bytes coded(data + 1 + key_length, data + size);

    const std::string dir = scratch(), in = dir + "/in", out = dir + "/out", again = dir + "/again",
                      back = dir + "/back";
    put(in, coded);
    const Bytes xor_key = p.coding_key(key);
    Bytes plain = coded;
    for (std::size_t i = 0; i < plain.size(); ++i) plain[i] ^= xor_key[i % xor_key.size()];
    bool zero = false;
    for (std::uint8_t b : plain) zero = zero || b == 0;
    const Bytes expected = zero ? reference::decode(plain, p.extended) : plain;

    FUZZ_CHECK(p.decode(in.c_str(), out.c_str(), key.c_str()) == (zero ? codexe_completo : dcodexe_solo_decodificado));
    FUZZ_CHECK(get(out) == expected);
    FUZZ_CHECK(entries() == 2);  // in and out: no intermediate file left
    bool has_zero = false;
    for (std::uint8_t b : expected) has_zero = has_zero || b == 0;
    FUZZ_CHECK(p.code(out.c_str(), again.c_str(), key.c_str()) ==
               (has_zero ? codexe_completo : p.coded_without_compression));
    FUZZ_CHECK(p.decode(again.c_str(), back.c_str(), key.c_str()) ==
               (has_zero ? codexe_completo : dcodexe_solo_decodificado));
    FUZZ_CHECK(get(back) == expected);
    FUZZ_CHECK(entries() == 4);
    for (const std::string& f : {in, out, again, back}) std::filesystem::remove(f);
    return 0;
}

}  // namespace versos::fuzz
