// The console's state that the console device changes, put back as it was
// found when the process ends: the text attribute and the cursor's shape
// once the device has set them, and the input mode while a key read has it
// set. At exit (after standard output is flushed), on Ctrl+C, Ctrl+Break and
// the console closing (the console's control handlers, which then go on to
// the next one), and on a crash (the unhandled-exception filter, which then
// goes on to the one installed before it).
#pragma once

#include <windows.h>

namespace versos::console::console_restore {

// Remembers how `output`'s attribute and cursor are now and installs the
// handlers; once for the process.
void watch(HANDLE output);
void note_attribute_set();
void note_cursor_set();
// A key read set `input`'s mode, which was `found`, until read_done.
void reading(HANDLE input, DWORD found);
void read_done();

// Puts it all back; safe from any thread.
void put_back();
// Takes the handlers away again (the library is being unloaded).
void remove_handlers();

}  // namespace versos::console::console_restore
