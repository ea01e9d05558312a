// Small programs that share the terminal between the console and stdio, as
// ported programs do; the tmux test runs each after shell output and reads
// the screen.
//   console-sharing window|box|prompt|getche|capture|stdio|stderr
#include <versos/consola.h>
#include <versos/util.h>

#include <cstdio>
#include <cstring>

using namespace versos;

namespace {

// A 30 by 5 window at (10, 3) with more text than it holds: it scrolls.
void window_over_shell_output() {
    window(10, 3, 39, 7);
    textattr(0x1E);
    for (int i = 1; i <= 9; ++i) cprintf("window line %d, and more. ", i);
    getch_();
}

// Text printed, then a box over it; then the elapsed time where the
// terminal's cursor stands.
void box_over_printed_text() {
    for (int i = 1; i <= 14; ++i) std::printf("printed row %2d: ....:....|....:....|....:....|....:....|\n", i);
    std::printf("before the box: ");
    mensajeTiempo_(61);
    std::printf("after the box\n");
    getch_();
}

void prompt_before_key() {
    std::printf("\xC2\xBFSeguir (s/n)? ");
    const int key = getch_();
    std::printf("key %d\n", key);
    getch_();
}

// The key echoed after the prompt, where stdio left the cursor.
void prompt_before_echoed_key() {
    std::printf("prompt: ");
    getche_();
    std::printf("\nechoed\n");
    getch_();
}

// The console's first use while standard output is captured.
void first_use_during_capture() {
    openprints_();
    mensajeTiempo_(61);
    char text[512] = "";
    printsn_(text, sizeof text);
    closeprints_();
    std::printf("captured: %s", text);
    getch_();
}

// printf where the console put the cursor, then a clear that really clears.
void stdio_beside_console() {
    clrscr();
    gotoxy(10, 5);
    std::printf("hola");
    gotoxy(1, 8);
    cputs("console text");
    getch_();
    clrscr();
    std::printf("printed over the console's screen\n");
    getch_();
    clrscr();
    cputs("cleared");
    getch_();
}

void successive_lines_on_standard_error() {
    cputs("console first ");
    imprimeHasta("first text", 40, 14, 12);
    imprimeHasta("second text", 40, 14, 12);
    std::fprintf(stderr, "done\n");
    getch_();
}

}  // namespace

int main(int argc, char** argv) {
    const char* what = argc > 1 ? argv[1] : "";
    if (std::strcmp(what, "window") == 0) window_over_shell_output();
    else if (std::strcmp(what, "box") == 0) box_over_printed_text();
    else if (std::strcmp(what, "prompt") == 0) prompt_before_key();
    else if (std::strcmp(what, "getche") == 0) prompt_before_echoed_key();
    else if (std::strcmp(what, "capture") == 0) first_use_during_capture();
    else if (std::strcmp(what, "stdio") == 0) stdio_beside_console();
    else if (std::strcmp(what, "stderr") == 0) successive_lines_on_standard_error();
    else return 2;
    return 0;
}
