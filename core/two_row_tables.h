// The pickers of the generator core's three two-row tables, reached by
// modes k, l and v and drawn by the likeness, comparative and prepositional
// lines.
#pragma once

namespace versos {

void articulomasculinosingular();  // "el" / "un"
void articulofemeninosingular();   // "la" / "una"
void verso22con();                 // "con" / "sin"

}  // namespace versos
