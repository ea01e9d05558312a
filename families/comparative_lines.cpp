// Comparative lines: a comparison phrase and a feminine article ("Se parece
// a la"), or a comparative predicate, "que" and the article ("Duele menos que
// la").
#include "comparative_lines_words.h"
#include "core/buffers.h"
#include "core/fragment_destination.h"
#include "core/text.h"
#include "core/two_row_tables.h"
#include "core/word_table.h"
#include "families/families.h"

namespace versos {

void verso31otroslauna() { pick(tablas::verso31otroslauna); }
void verso31agradamenosmas() { pick(tablas::verso31agradamenosmas); }

namespace {

int phrase_and_article(void (*phrase_picker)(), const char* format) {
    char phrase[kTextBufferSize];
    char article[kTextBufferSize];
    phrase_picker();
    copy_text(phrase, palabra);
    articulofemeninosingular();
    copy_text(article, palabra);
    format_text(frase, format, phrase, article);
    return str2clip(frase);
}

}  // namespace

// Mode D.
int verso31tres() { return phrase_and_article(verso31otroslauna, "%s %s"); }

// Mode E.
int verso31cerounodos() { return phrase_and_article(verso31agradamenosmas, "%s que %s"); }

}  // namespace versos
