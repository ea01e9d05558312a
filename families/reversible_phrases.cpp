// Reversible noun phrases: a feminine noun and adjective in either order,
// bound with "del" to a masculine word of the genitive pairs ("abadesa
// abandonada del amor", "abandonada abadesa del amor", "abadesa del amor");
// one time in ten a lone noun, one time in ten a ready-made phrase.
#include "core/buffers.h"
#include "core/fragment_destination.h"
#include "core/text.h"
#include "core/word_table.h"
#include "families/families.h"
#include "reversible_phrases_words.h"

namespace versos {

void verso11reversibles1() { pick(tablas::verso11reversibles1); }
void verso11reversibles2() { pick(tablas::verso11reversibles2); }
void verso11unicasnoreversibles1() { pick(tablas::verso11unicasnoreversibles1); }

namespace {

// "first second del masculine", the first two words in draw order.
void pair_del(void (*first)(), void (*second)()) {
    first();
    copy_text(frase, palabra);
    append_text(frase, " ");
    second();
    append_text(frase, palabra);
    append_text(frase, " del ");
    verso10amor();
    append_text(frase, palabra);
}

}  // namespace

// Mode A.
int nuevoindice11() {
    const int k = rand() % 10 + 1;
    if (k == 1) {
        verso11reversibles1();
        return str2clip(palabra);
    }
    if (k == 2) {
        verso11unicasnoreversibles1();
        return str2clip(palabra);
    }
    switch (rand() % 3 + 1) {
        case 1:  // noun first
            pair_del(verso11reversibles1, verso11reversibles2);
            break;
        case 2:  // adjective first
            pair_del(verso11reversibles2, verso11reversibles1);
            break;
        default:  // noun alone
            verso11reversibles1();
            copy_text(frase, palabra);
            append_text(frase, " del ");
            verso10amor();
            append_text(frase, palabra);
            break;
    }
    return str2clip(frase);
}

}  // namespace versos
