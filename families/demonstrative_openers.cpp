// Demonstrative openers: the feminine opening of a line, an adverb and a
// determiner ("Abiertamente aquella", "A veces la"), or one time in ten a
// determiner phrase standing alone ("Casi toda"). The adverbs are those of
// the adverbial openers.
#include "core/buffers.h"
#include "core/fragment_destination.h"
#include "core/text.h"
#include "core/word_table.h"
#include "demonstrative_openers_words.h"
#include "families/families.h"

namespace versos {

void verso01aquella() { pick(tablas::verso01aquella); }
void verso01unicas() { pick(tablas::verso01unicas); }

// Mode z.
int nuevoindice01() {
    const int k = rand() % 10 + 1;
    if (k == 1) {
        verso01unicas();
        copy_text(frase, palabra);
    } else {
        verso00aveces();
        copy_text(frase, palabra);
        append_text(frase, " ");
        verso01aquella();
        append_text(frase, palabra);
    }
    return str2clip(frase);
}

}  // namespace versos
