#include "core/modes.h"

#include <versos/generador.h>

#include <cstddef>

#include "core/buffers.h"
#include "core/fragment_destination.h"
#include "core/two_row_tables.h"
#include "families/families.h"

namespace versos {
namespace {

// A mode calls either a composite generator, which hands its fragment to
// str2clip itself, or a picker, whose entry is handed over here.
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

// The library's list of modes is this table's, in its order.
constexpr bool listed_in_order() {
    if (sizeof modos - 1 != sizeof kModes / sizeof kModes[0]) return false;
    for (std::size_t i = 0; i < sizeof kModes / sizeof kModes[0]; ++i)
        if (kModes[i].character != modos[i]) return false;
    return true;
}
static_assert(listed_in_order());

}  // namespace

bool run_mode(char mode) {
    for (const Mode& m : kModes) {
        if (m.character != mode) continue;
        if (m.generator != nullptr) {
            m.generator();
        } else {
            m.picker();
            str2clip(palabra);
        }
        return true;
    }
    return false;
}

}  // namespace versos
