// One line of text edited on the console, and the keys it reads.
#pragma once

#include <versos/consola/export.h>

namespace versos {

// Key code of the next key, read unechoed: a cursor or editing key (which
// the console gives as 0 or 224 and then its code) gives that code, 0..255
// (75 Left, 77 Right, 71 Home, 79 End, 82 Insert, 83 Delete, ...); any other
// key its byte plus 255, 256..510. A typed 224 (Ó in code page 850) is a
// character like any other: 224 + 255. At the end of standard input it
// gives 13 + 255, Enter, once.
VERSOS_CONSOLA_EXPORT unsigned getspecialkey_();

// Edits the NUL-terminated text in `buffer`, `size` bytes (so at most
// size - 1 characters), in a field that starts at the cursor and runs on
// in rows of 80 columns whatever the window's width: the text is shown, the
// cursor goes after it, and Left, Right, Home, End, Delete, Backspace and the
// typed characters act on it until Enter. Insert toggles insert mode (the
// start, with a block cursor) and overwrite mode (a thin cursor). Typed
// accented letters are kept as their code-page-850 bytes.
//
// A character that does not fit is refused with a message box titled
// "¡Atención!", once until a key is carried out. No line feed is written at
// the end; the cursor stays where it is, with its last shape.
//
// The text shows on the console at once; without one the final text is
// written once on standard error, as UTF-8, when editing ends. A size below 1 changes nothing, and so does a
// position table that can't be obtained.
VERSOS_CONSOLA_EXPORT void getsf_(char* buffer, int size);

}  // namespace versos
