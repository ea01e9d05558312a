#include "program_text.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "posix_io.h"

namespace versos::program {

bool write_text(Stream stream, std::string_view text, Encoding, std::string* why) {
    std::FILE* file = stream == Stream::out ? stdout : stderr;
    std::fflush(file);
    if (posix_io::write_all(fileno(file), text.data(), text.size())) return true;
    if (why) *why = std::strerror(errno);
    return false;
}

void message(std::string_view text) { write_text(Stream::err, text, Encoding::utf8); }

}  // namespace versos::program
