// A plugin over versos::generador: 1 when it gives versos B 42's fragment
// and knows no mode '?'.
#include <versos/generador.h>

extern "C" __attribute__((visibility("default"))) int plugin_check() {
    return versos::fragmento_utf8('B', versos::lee_semilla("42")) == "con la presencia de la" &&
           !versos::fragmento('?', 42);
}
