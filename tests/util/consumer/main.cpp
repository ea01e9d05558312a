#include <versos/consola.h>
#include <versos/generador.h>
#include <versos/util.h>

#include <cstdio>
#include <cstring>

int main() {
    char name[64];
    versos::solonombre_(name, "C:\\versos\\oda.txt");
    char text[64] = "  oda  al  mar ";
    versos::crunch_(text, ' ');
    // The text window is kept whether or not a terminal shows it.
    versos::window(11, 6, 30, 10);
    versos::gotoxy(5, 3);
    versos::TextInfo info;
    versos::gettextinfo(&info);
    // What versos B 42 puts on the clipboard, and an unknown mode.
    const bool verse = versos::fragmento_utf8('B', versos::lee_semilla("42")) == "con la presencia de la" &&
                       !versos::fragmento('?', 42);
    const bool ok = verse && std::strcmp(name, "oda") == 0 && std::strcmp(text, "oda al mar") == 0 && versos::wherex() == 5 &&
                    versos::wherey() == 3 && info.window_width == 20 && info.window_left == 10;
    std::puts(ok ? "ok" : "wrong results");
    return ok ? 0 : 1;
}
