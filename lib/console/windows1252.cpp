#include "lib/console/windows1252.h"

#include "lib/charsets/cp1252.h"
#include "lib/charsets/cp1252_cp850.h"
#include "lib/charsets/utf8.h"

namespace versos::console::windows1252 {
char32_t to_unicode(unsigned char byte) {
    const char32_t c = cp1252_code_point(byte);
    return c >= 0x80 && c < 0xA0 ? U'?' : c;  // the five undefined bytes: never a C1 control
}

unsigned char to_cp850(unsigned char byte) {
    return cp1252_cp850::to_cp850(byte, cp1252_cp850::Lacking::question_mark);
}

std::string to_utf8(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) charsets::append_utf8(out, to_unicode(static_cast<unsigned char>(*p)));
    return out;
}

}  // namespace versos::console::windows1252
