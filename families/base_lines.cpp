// Base lines: a form of address or a gerund followed by ", " ("Querido
// lector, ", "Abandonando, ") in one run out of three, an empty text in the
// others.
#include "base_lines_words.h"
#include "core/buffers.h"
#include "core/fragment_destination.h"
#include "core/text.h"
#include "core/word_table.h"
#include "families/families.h"

namespace versos {

void verso12() { pick(tablas::verso12); }
void verso12bis() { pick(tablas::verso12bis); }

// Mode w.
int versobase() {
    // Two times in three the line has no opening: palabra, still empty in a
    // run of mode w, goes out as an empty text item.
    if (rand() % 3 != 0) return str2clip(palabra);

    // One draw over both tables' sizes chooses the table; the row is then
    // drawn afresh by its picker.
    constexpr int kForms = sizeof tablas::verso12bis / sizeof tablas::verso12bis[0];
    constexpr int kGerunds = sizeof tablas::verso12 / sizeof tablas::verso12[0];
    const int k = rand() % (kForms + kGerunds) + 1;
    if (k <= kForms)
        verso12bis();
    else
        verso12();
    append_text(palabra, ", ");
    return str2clip(palabra);
}

}  // namespace versos
