// What the programs write on standard output and standard error, the same
// bytes on every system: into a file or a pipe the text as it is; on a
// Windows console the letters it stands for, through the console's own
// Unicode output, so that they show right whatever the console's code page.
#pragma once

#include <string>
#include <string_view>

namespace versos::program {

enum class Stream { out, err };
enum class Encoding { utf8, windows1252 };

// Writes `text` whole, after anything stdio still holds for the stream.
// False on a failed write, with `why` (when given) saying what failed.
bool write_text(Stream stream, std::string_view text, Encoding encoding, std::string* why = nullptr);

// A message on standard error, UTF-8; a failure to write it is ignored, as
// there is nowhere left to say so.
void message(std::string_view text);
// The same, formatted as printf formats.
[[gnu::format(printf, 1, 2)]] void messagef(const char* format, ...);

}  // namespace versos::program
