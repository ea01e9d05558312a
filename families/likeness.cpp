// Likeness lines: a phrase of accord, likeness or difference ending in a
// feminine article ("acorde con el aspecto de la", "con particularidades
// opuestas a la figura de la"), built by one of fifteen templates.
//
// Each template is its line written out piece by piece: fixed text and the
// pickers whose entries stand there, which draw left to right.
#include <utility>

#include "core/buffers.h"
#include "core/fragment_destination.h"
#include "core/text.h"
#include "core/two_row_tables.h"
#include "core/word_table.h"
#include "families/families.h"
#include "likeness_words.h"

namespace versos {

void verso21acorde() { pick(tablas::verso21acorde); }
void verso21aspecto() { pick(tablas::verso21aspecto); }
void verso21apariencia() { pick(tablas::verso21apariencia); }
void verso21caracteristicas() { pick(tablas::verso21caracteristicas); }
void verso21contrarias() { pick(tablas::verso21contrarias); }
void verso21diverso() { pick(tablas::verso21diverso); }
void verso21modo() { pick(tablas::verso21modo); }
void verso21distinta() { pick(tablas::verso21distinta); }
void verso21forma() { pick(tablas::verso21forma); }

namespace {

using Picker = void (*)();

// The pair of plurals of templates 8 and 9: one more draw decides its order.
struct PairOfPlurals {};
constexpr PairOfPlurals pair_of_plurals;

void piece(const char* text) { append_text(frase, text); }

void piece(Picker picker) {
    picker();
    append_text(frase, palabra);
}

void piece(PairOfPlurals) {
    if (rand() % 2 + 1 == 1) {
        piece(verso21caracteristicas);
        piece(" ");
        piece(verso21contrarias);
    } else {
        piece(verso21contrarias);
        piece(" ");
        piece(verso21caracteristicas);
    }
}

// Templates 1 to 11: the line is the pieces appended left to right, each
// picker drawing as its turn comes.
template <typename... Pieces>
int line(Pieces... pieces) {
    frase[0] = '\0';
    (piece(pieces), ...);
    return str2clip(frase);
}

template <std::size_t... I>
int format_buffers(const char* format, const char (&buffers)[sizeof...(I)][kTextBufferSize],
                   std::index_sequence<I...>) {
    format_text(frase, format, buffers[I]...);
    return str2clip(frase);
}

// Templates 12 to 15: each picker draws in turn into a buffer of its own,
// then the buffers fill the format's fields in draw order.
template <typename... Pickers>
int formatted(const char* format, Pickers... pickers) {
    char buffers[sizeof...(Pickers)][kTextBufferSize];
    int next = 0;
    ((pickers(), copy_text(buffers[next++], palabra)), ...);
    return format_buffers(format, buffers, std::index_sequence_for<Pickers...>{});
}

int verso21primero() {
    return line(verso21acorde, " con ", articulomasculinosingular, " ", verso21aspecto, " de ",
                articulofemeninosingular);
}

int verso21segundo() {
    return line(verso21acorde, " con ", articulofemeninosingular, " ", verso21apariencia, " de ",
                articulofemeninosingular);
}

int verso21tercero() { return line(verso21acorde, " con ", articulofemeninosingular); }

int verso21cuarto() {
    return line(verso21acorde, " a ", articulofemeninosingular, " ", verso21apariencia, " de ",
                articulofemeninosingular);
}

int verso21quinto() { return line(verso21acorde, " al ", verso21aspecto, " de ", articulofemeninosingular); }

int verso21sexto() {
    return line("como ", articulomasculinosingular, " ", verso21aspecto, " de ", articulofemeninosingular);
}

int verso21septimo() {
    return line("como ", articulofemeninosingular, " ", verso21apariencia, " de ", articulofemeninosingular);
}

int verso21octavo() {
    return line("con ", pair_of_plurals, " a ", articulofemeninosingular, " ", verso21apariencia, " de ",
                articulofemeninosingular);
}

int verso21noveno() { return line("con ", pair_of_plurals, " al ", verso21aspecto, " de ", articulofemeninosingular); }

int verso21decimo() { return line("con ", verso21aspecto, " de ", articulofemeninosingular); }

int verso21undecimo() {
    return line("con ", articulofemeninosingular, " ", verso21apariencia, " de ", articulofemeninosingular);
}

int verso21duodecimo() {
    return formatted("con %s %s %s a %s", articulomasculinosingular, verso21diverso, verso21modo,
                     articulofemeninosingular);
}

int verso21trece() { return formatted("con %s %s a %s", verso21distinta, verso21forma, articulofemeninosingular); }

int verso21catorce() {
    return formatted("con %s %s %s de %s", articulofemeninosingular, verso21distinta, verso21forma,
                     articulofemeninosingular);
}

int verso21quince() { return formatted("con %s %s a %s", verso21forma, verso21distinta, articulofemeninosingular); }

constexpr int (*kTemplates[])() = {
    verso21primero,  verso21segundo,   verso21tercero, verso21cuarto,  verso21quinto,
    verso21sexto,    verso21septimo,   verso21octavo,  verso21noveno,  verso21decimo,
    verso21undecimo, verso21duodecimo, verso21trece,   verso21catorce, verso21quince,
};

}  // namespace

// Mode B: draw the template, k from 1 to 15, and let it build the line.
int verso21() {
    const int k = rand() % 15 + 1;
    return kTemplates[k - 1]();
}

}  // namespace versos
