// The file routines answer with ints even when memory runs short: this
// program's operator new fails on demand, and each routine then returns its
// failure value, leaves its source, and makes or leaves no file.
#include <versos/util/coding.h>
#include <versos/util/compression.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>

#include "tests/support/files.h"

namespace {
thread_local bool g_short_of_memory = false;
}  // namespace

// The allocator itself: what it hands out comes from malloc, so free is its
// match, whatever the compiler infers from the names.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    if (g_short_of_memory) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { ::operator delete(p); }

namespace versos {
namespace {

TEST(FileRoutines, AnswerShortMemoryWithTheirFailureValue) {
    testing::TempFolder dir;
    ASSERT_TRUE(dir.ok());
    // Names too long to be kept without memory of their own.
    const std::string source = dir / "a source named at some length";
    const std::string target = dir / "a target named at some length";
    const testing::Bytes data = {'a', 0, 0, 'b', 0xFF};
    testing::write_file(source, data);
    const char* s = source.c_str();
    const char* t = target.c_str();
    const std::pair<const char*, std::function<int()>> routines[] = {
        {"copyf", [&] { return copyf_(s, t); }},
        {"movef", [&] { return movef_(s, t); }},
        {"codef", [&] { return codef_(s, t, "K"); }},
        {"codebitf", [&] { return codebitf_(s, t, "K"); }},
        {"decodebitf", [&] { return decodebitf_(s, t, "K"); }},
        {"codexef", [&] { return codexef_(s, t, "K"); }},
        {"dcodexef", [&] { return dcodexef_(s, t, "K"); }},
        {"codexebisf", [&] { return codexebisf_(s, t, "K"); }},
        {"decodexebisf", [&] { return decodexebisf_(s, t, "K"); }},
        {"comprexe", [&] { return comprexe_(s, t); }},
        {"dcomprexe", [&] { return dcomprexe_(s, t); }},
        {"comprexebis", [&] { return comprexebis_(s, t); }},
        {"dcomprexebis", [&] { return dcomprexebis_(s, t); }},
        {"tienecerosf", [&] { return tienecerosf_(s) + 1; }},
        {"cerosahorradosf", [&] { return cerosahorradosf_(s) + 1; }},
        {"cerosahorradosplusf", [&] { return cerosahorradosplusf_(s) + 1; }},
        {"numcerosmatf", [&] { return numcerosmatf_(s) + 1; }},
    };
    for (const auto& [name, routine] : routines) {
        SCOPED_TRACE(name);
        int result = -2;
        g_short_of_memory = true;
        EXPECT_NO_THROW(result = routine());
        g_short_of_memory = false;
        EXPECT_EQ(result, 0);  // the failure value (-1 for the scans, shifted above)
        EXPECT_EQ(testing::read_bytes(source), data);
        testing::expect_only(dir, {"a source named at some length"});
    }
}

}  // namespace
}  // namespace versos
