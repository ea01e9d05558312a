// Genitive pairs: two masculine words joined by "del" ("abad del amor"),
// sometimes reversed ("amor del abad") or with an adjective after the second
// ("abad del amor carnal").
#include "core/buffers.h"
#include "core/fragment_destination.h"
#include "core/text.h"
#include "core/word_table.h"
#include "families/families.h"
#include "genitive_pairs_words.h"

namespace versos {

void verso10abad() { pick(tablas::verso10abad); }
void verso10amor() { pick(tablas::verso10amor); }
void verso10analfabeto() { pick(tablas::verso10analfabeto); }

namespace {

void append_word(void (*picker)()) {
    picker();
    append_text(frase, " ");
    append_text(frase, palabra);
}

}  // namespace

// Mode y. r = 0..2: abad del amor carnal; 3..5: abad del amor; 6: amor del abad.
int tomaindice10() {
    const int r = rand() % 7;
    if (r <= 5) {
        verso10abad();
        copy_text(frase, palabra);
        append_text(frase, " del");
        append_word(verso10amor);
        if (r <= 2) append_word(verso10analfabeto);
    } else {
        verso10amor();
        copy_text(frase, palabra);
        append_text(frase, " del");
        append_word(verso10abad);
    }
    return str2clip(frase);
}

}  // namespace versos
