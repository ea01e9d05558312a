// Byte classes shared by the string routines and the text readers.
#pragma once

namespace versos::detail {

// A blank is a byte from 0x01 to 0x20, taken as unsigned: bytes from 0x80
// up (accented letters of Windows-1252) are never blanks.
inline bool is_blank(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x01 && b <= 0x20;
}

}  // namespace versos::detail
