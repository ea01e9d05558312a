// Whether the program wrote through stdio's standard output since the
// console last looked: the terminal may then show other text anywhere, and
// its cursor stands where that text ended.
#pragma once

namespace versos::console::stdio_watch {

// Flushes standard output, so that what was printed before shows before
// what the console draws or waits for next, and says whether anything went
// out through it since the previous call (or before the first). It sees
// what waited in the buffer and, with the GNU C library, whatever went
// through the buffer since; a write(2) on descriptor 1, or one fwrite too
// large for the buffer, is not seen.
bool flush_and_check();

}  // namespace versos::console::stdio_watch
