// Verb and adjective lists: two tables that only their single-table modes
// reach (5 and 6).
#include "core/word_table.h"
#include "families/families.h"
#include "verb_adjective_lists_words.h"

namespace versos {

void verso14() { pick(tablas::verso14); }
void verso33() { pick(tablas::verso33); }

}  // namespace versos
