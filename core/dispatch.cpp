#include "core/dispatch.h"

#include "core/buffers.h"
#include "core/clipboard/clipboard.h"
#include "core/random.h"
#include "core/seed.h"
#include "core/two_row_tables.h"
#include "families/families.h"

namespace versos {
namespace {

// A mode calls either a composite generator, which puts its fragment on the
// clipboard itself, or a picker, whose entry the dispatcher puts there.
struct Mode {
    char character;
    int (*generator)();
    void (*picker)();
};

constexpr Mode kModes[] = {
    {'w', versobase, nullptr},
    {'x', verso00, nullptr},
    {'y', tomaindice10, nullptr},
    {'z', nuevoindice01, nullptr},
    {'A', nuevoindice11, nullptr},
    {'B', verso21, nullptr},
    {'C', verso22, nullptr},
    {'D', verso31tres, nullptr},
    {'E', verso31cerounodos, nullptr},
    {'0', nullptr, verso00aveces},
    {'1', nullptr, verso11reversibles1},
    {'2', nullptr, verso11reversibles2},
    {'3', nullptr, verso11unicasnoreversibles1},
    {'4', nullptr, verso12},
    {'5', nullptr, verso14},
    {'6', nullptr, verso33},
    {'7', nullptr, verso21acorde},
    {'8', nullptr, verso10abad},
    {'9', nullptr, verso10amor},
    {'a', nullptr, verso10analfabeto},
    {'b', nullptr, verso01aquella},
    {'c', nullptr, verso01unicas},
    {'d', nullptr, verso12bis},
    {'e', nullptr, verso22cargada},
    {'f', nullptr, verso22futuro},
    {'g', nullptr, verso22palabrassueltas},
    {'h', nullptr, verso31agradamenosmas},
    {'i', nullptr, verso31otroslauna},
    {'j', nullptr, verso21aspecto},
    {'k', nullptr, articulomasculinosingular},
    {'l', nullptr, articulofemeninosingular},
    {'m', nullptr, verso21apariencia},
    {'n', nullptr, verso21caracteristicas},
    {'o', nullptr, verso21contrarias},
    {'p', nullptr, verso21diverso},
    {'q', nullptr, verso21modo},
    {'r', nullptr, verso21distinta},
    {'s', nullptr, verso21forma},
    {'t', nullptr, verso00algun},
    {'u', nullptr, verso00algunsinversosiguiente},
    {'v', nullptr, verso22con},
};

}  // namespace

int run_verse_command(int argc, const char* const* argv) {
    if (argc != 3) return 1;

    // atoi gives an int; srand takes it as unsigned, so -1 seeds 4294967295.
    srand(static_cast<unsigned int>(seed_from_text(argv[2])));
    clearclip();

    const char mode = argv[1][0];
    for (const Mode& m : kModes) {
        if (m.character != mode) continue;
        if (m.generator != nullptr) {
            m.generator();
        } else {
            m.picker();
            str2clip(palabra);
        }
        return 0;
    }
    return 1;
}

}  // namespace versos
