// The message box that stands in for the Windows one: a framed box over the
// middle of the screen, acknowledged with Enter, Space or Escape.
#pragma once

namespace versos::console {

// Shows `text` under `title`, both Windows-1252 (shown through code page
// 850, so that accented letters read right); a line feed in the text starts
// a new line, a final one starts none, and a line too long for the screen
// goes on on the next, broken between words (a word longer than a row is
// cut). Waits, with the input mode 0, for Enter, Space or
// Escape (other keys are read and ignored), then puts back the cells the box
// covered, the cursor and its shape: on the terminal's alternate screen,
// over a copy of what the console drew, where it has one, so that text the
// console did not draw comes back too; elsewhere the box covers the cells
// themselves and puts back what the console knows of them (text it did not
// draw is lost under the box). The box fits the part of the screen a person
// sees.
//
// Without a terminal (the device shows nothing or reads no keys), or on a
// screen too small for a box, the title and the text go to standard error as
// UTF-8 lines and nothing waits.
void message_box(const char* title, const char* text);

}  // namespace versos::console
