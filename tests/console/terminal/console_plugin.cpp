// A plugin that draws through its own static copy of the console, for the
// pseudo-terminal test that unloads it and goes on.
#include <versos/consola.h>

extern "C" __attribute__((visibility("default"))) void draw_through_the_console() {
    versos::textattr(0x1E);
    versos::gotoxy(3, 2);
    versos::cputs("plugin");
}
