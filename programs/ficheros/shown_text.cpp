// Names as ficheros shows them: a name may hold any byte but the slash and
// NUL, and a control byte sent as it is would reach the terminal as a
// command (a new title, a cleared screen).
#include <string>

#include "ficheros.h"

namespace versos::ficheros {

std::string shown(const char* text) {
    std::string out;
    for (const char* p = text; *p != '\0'; ++p) {
        const auto b = static_cast<unsigned char>(*p);
        if (b < 0x20 || b == 0x7F) {
            const char octal[] = {'\\', static_cast<char>('0' + (b >> 6)), static_cast<char>('0' + (b >> 3 & 7)),
                                  static_cast<char>('0' + (b & 7)), '\0'};
            out += octal;
        } else {
            out += *p;
        }
    }
    return out;
}

}  // namespace versos::ficheros
