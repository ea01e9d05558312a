// Adverbial openers: the masculine opening of a line, an adverb and a
// determiner ("Abiertamente ese", "A veces ningún"), or one time in twenty a
// determiner phrase standing alone ("Casi ningún").
#include "adverbial_openers_words.h"
#include "core/buffers.h"
#include "core/fragment_destination.h"
#include "core/text.h"
#include "core/word_table.h"
#include "families/families.h"

namespace versos {

void verso00aveces() { pick(tablas::verso00aveces); }
void verso00algun() { pick(tablas::verso00algun); }
void verso00algunsinversosiguiente() { pick(tablas::verso00algunsinversosiguiente); }

// Mode x.
int verso00() {
    if (rand() % 20 == 0) {
        verso00algunsinversosiguiente();
        return str2clip(palabra);
    }
    verso00aveces();
    copy_text(frase, palabra);
    verso00algun();
    append_text(frase, " ");
    append_text(frase, palabra);
    return str2clip(frase);
}

}  // namespace versos
