// The one Windows-1252 <-> code page 850 table, through each of its users,
// against glibc's own CP1252 and CP850 tables, byte by byte.
#include <gtest/gtest.h>
#include <iconv.h>

#include <versos/util/codepages.h>

#include <optional>

#include "lib/console/windows1252.h"

namespace versos {
namespace {

// The byte `byte` of code page `from` in code page `to`, by iconv; none when
// `to` lacks the character (or `from` leaves the byte undefined).
std::optional<unsigned char> iconv_byte(const char* from, const char* to, unsigned char byte) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) ADD_FAILURE() << "iconv can't convert " << from << " to " << to;
    char in[1] = {static_cast<char>(byte)};
    char out[4];
    char* in_p = in;
    char* out_p = out;
    std::size_t in_left = 1, out_left = sizeof out;
    const std::size_t done = iconv(cd, &in_p, &in_left, &out_p, &out_left);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1) || out_left != sizeof out - 1) return std::nullopt;
    return static_cast<unsigned char>(out[0]);
}

TEST(Cp1252Cp850, EveryWindows1252ByteAsIconvHasIt) {
    int lacking = 0;
    for (unsigned b = 1; b < 256; ++b) {
        const std::optional<unsigned char> reference = iconv_byte("CP1252", "CP850", static_cast<unsigned char>(b));
        char text[2] = {static_cast<char>(b), '\0'};
        win2dos(text);
        const unsigned char in_box = console::windows1252::to_cp850(static_cast<unsigned char>(b));
        if (reference) {
            EXPECT_EQ(static_cast<unsigned char>(text[0]), *reference) << "win2dos of " << b;
            EXPECT_EQ(in_box, *reference) << "box byte of " << b;
        } else {
            ++lacking;
            EXPECT_EQ(static_cast<unsigned char>(text[0]), b) << "win2dos keeps " << b;
            EXPECT_EQ(in_box, '?') << "a box shows " << b << " as ?";
            EXPECT_TRUE(b >= 0x80 && b <= 0x9F && b != 0x83) << b;
        }
    }
    EXPECT_EQ(lacking, 31);
}

TEST(Cp1252Cp850, EveryCodePage850ByteAsIconvHasIt) {
    int lacking = 0;
    for (unsigned b = 1; b < 256; ++b) {
        const std::optional<unsigned char> reference = iconv_byte("CP850", "CP1252", static_cast<unsigned char>(b));
        char text[2] = {static_cast<char>(b), '\0'};
        dos2win(text);
        if (reference) {
            EXPECT_EQ(static_cast<unsigned char>(text[0]), *reference) << "dos2win of " << b;
        } else {
            ++lacking;
            EXPECT_EQ(static_cast<unsigned char>(text[0]), b) << "dos2win keeps " << b;
        }
    }
    EXPECT_EQ(lacking, 31);
}

}  // namespace
}  // namespace versos
