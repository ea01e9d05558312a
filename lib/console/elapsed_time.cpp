// mensajeTiempo_: an elapsed time in Spanish, in a box, then on standard
// output.
#include <versos/consola/console_services.h>

#include <cstdio>

#include "lib/console/message_box.h"
#include "lib/console/outside_writes.h"

namespace versos {

int mensajeTiempo_(unsigned seconds) {
    // Long enough for the largest count of minutes.
    char message[128];
    if (seconds == 0) {
        std::snprintf(message, sizeof message, "El tiempo empleado ha sido inferior a un segundo.\n");
    } else {
        const char* ending = seconds == 1 ? ".\n" : "s.\n";
        if (seconds < 60)
            std::snprintf(message, sizeof message, "Tiempo empleado: %u segundo%s", seconds, ending);
        else
            std::snprintf(message, sizeof message, "Tiempo empleado: %u minutos y %u segundo%s", seconds / 60,
                          seconds % 60, ending);
    }
    console::message_box("Duraci\xF3n", message);
    const int printed = std::printf("%s", message);
    console::after_standard_output();
    return printed;
}

}  // namespace versos
