// A plugin over versos::consola: 1 when the text window is kept as it should
// be (it is, whether or not a terminal shows it).
#include <versos/consola.h>

extern "C" __attribute__((visibility("default"))) int plugin_check() {
    versos::window(11, 6, 30, 10);
    versos::gotoxy(5, 3);
    versos::TextInfo info;
    versos::gettextinfo(&info);
    return versos::wherex() == 5 && versos::wherey() == 3 && info.window_width == 20 && info.window_left == 10 &&
           versos::vActual.window_top == 5;
}
