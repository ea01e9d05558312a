// The pickers of the three two-row tables.
#include "core/two_row_tables.h"
#include "core/word_table.h"
#include "two_row_tables_words.h"

namespace versos {

void articulomasculinosingular() { pick(tablas::articulomasculinosingular); }
void articulofemeninosingular() { pick(tablas::articulofemeninosingular); }
void verso22con() { pick(tablas::verso22con); }

}  // namespace versos
