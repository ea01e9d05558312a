#include "lib/charsets/cp1252.h"

#include "lib/charsets/utf8.h"

namespace versos {

void append_cp1252_as_utf8(const char* text, std::size_t length, std::string& out) {
    out.reserve(out.size() + length * 3);
    for (std::size_t i = 0; i < length; ++i) {
        charsets::append_utf8(out, cp1252_code_point(static_cast<unsigned char>(text[i])));
    }
}

}  // namespace versos
