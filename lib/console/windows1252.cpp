#include "lib/console/windows1252.h"

#include "lib/charsets/cp1252.h"
#include "lib/charsets/utf8.h"
#include "lib/console/terminal/cp850.h"

namespace versos::console::windows1252 {
char32_t to_unicode(unsigned char byte) {
    const char32_t c = cp1252_code_point(byte);
    return c >= 0x80 && c < 0xA0 ? U'?' : c;  // the five undefined bytes: never a C1 control
}

unsigned char to_cp850(unsigned char byte) {
    if (byte < 0x80) return byte;
    return cp850::from_unicode(to_unicode(byte));
}

std::string to_utf8(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) charsets::append_utf8(out, to_unicode(static_cast<unsigned char>(*p)));
    return out;
}

}  // namespace versos::console::windows1252
