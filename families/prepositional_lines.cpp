// Prepositional lines: an adjective standing alone ("abigarrada"), an
// adjective of fullness or want with "de" and a noun ("cargada de futuro"),
// or "con"/"sin" with a noun ("sin soplo vital").
#include "core/buffers.h"
#include "core/fragment_destination.h"
#include "core/text.h"
#include "core/two_row_tables.h"
#include "core/word_table.h"
#include "families/families.h"
#include "prepositional_lines_words.h"

namespace versos {

void verso22cargada() { pick(tablas::verso22cargada); }
void verso22futuro() { pick(tablas::verso22futuro); }
void verso22palabrassueltas() { pick(tablas::verso22palabrassueltas); }

// Mode C.
int verso22() {
    char first[kTextBufferSize];
    char noun[kTextBufferSize];
    switch (rand() % 3 + 1) {
        case 1:
            verso22palabrassueltas();
            copy_text(frase, palabra);
            break;
        case 2:
            verso22cargada();
            copy_text(first, palabra);
            verso22futuro();
            copy_text(noun, palabra);
            format_text(frase, "%s de %s", first, noun);
            break;
        default:
            verso22con();
            copy_text(first, palabra);
            verso22futuro();
            copy_text(noun, palabra);
            format_text(frase, "%s %s", first, noun);
            break;
    }
    return str2clip(frase);
}

}  // namespace versos
