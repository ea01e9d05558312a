// Small services for console programs: elapsed times in Spanish, a text
// shortened to a width, the screen's colours, the cursor, and waiting for a
// key.
#pragma once

#include <versos/consola/export.h>

namespace versos {

// The elapsed time in Spanish ("Tiempo empleado: 1 minutos y 15 segundos.\n",
// "El tiempo empleado ha sido inferior a un segundo.\n" for 0), shown in a
// message box titled "Duración" that waits for Enter, Space or Escape (on
// standard error, without waiting, when there is no terminal), then printed
// on standard output. Returns the count of characters printed.
VERSOS_CONSOLA_EXPORT int mensajeTiempo_(unsigned seconds);

// Prints the text between double quotes and a line feed on standard error,
// in the colour `colour` (textcolor, so the console's attribute changes as
// well); if it is longer than `width`, only its first and last
// (width - 5) / 2 characters, with "[...]" between them in
// `ellipsis_colour`. When standard error is a terminal the colours show
// there (and are reset after) and the bytes show as the console's code page
// does; otherwise the bytes are written plain. Returns the count of the last
// write: the whole quoted line, or 2 for the closing quote and line feed.
VERSOS_CONSOLA_EXPORT int imprimeHasta(const char* text, int width, int colour, int ellipsis_colour);

// The screen's colours, as the COLOR command sets them: values 0 to 9 stand
// for the digits, any other value for the character with that code, so
// 'A'..'F' (or 'a'..'f') are colours 10 to 15. Every cell of the screen takes
// the new attribute (its text stays) and so does the console's attribute;
// vActual.text_attr stays, as the command left the program's record. A
// value that is no hexadecimal digit, or the same colour twice, changes
// nothing and gives 1; otherwise 0.
VERSOS_CONSOLA_EXPORT int color_(int foreground, int background);

// Shows the cursor, thin (10 % of the cell), when `flag` is not 0, or hides
// it. 1 when the console took it, 0 when there is no terminal.
VERSOS_CONSOLA_EXPORT int cursor_(int flag);

// Sleeps until a key waits, and leaves it unread: 1. At the end of standard
// input, or when it is closed, it returns at once.
VERSOS_CONSOLA_EXPORT int pause_();

// Waits for a key and takes it, a two-byte key whole, showing nothing.
// Returns 0.
VERSOS_CONSOLA_EXPORT int pausa_();

}  // namespace versos
