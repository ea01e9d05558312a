// Prints "ok" when the libraries answer as they do everywhere.
#include <versos/generador.h>
#include <versos/util.h>
#include <versos/version.h>

#include <cstdio>
#include <cstring>

int main() {
    char text[32] = "  el   mar ";
    versos::crunch_(text, ' ');
    const bool ok = std::strcmp(text, "el mar") == 0 && versos::fragmento('v', 1) == "sin" &&
                    std::strcmp(versos::version(), VERSOS_VERSION_STRING) == 0;
    std::printf("%s %s\n", ok ? "ok" : "wrong results", versos::version());
    return ok ? 0 : 1;
}
