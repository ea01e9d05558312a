// Small programs that share the terminal between the console and stdio, as
// ported programs do; the tmux test runs each after shell output and reads
// the screen.
//   console-sharing window|box|prompt|getche|capture|stdio|stderr
//   console-sharing typed-ahead|enter-typed-ahead PID_FILE
//
// The last two write their process id to PID_FILE and wait, between
// drawing and reading a key, for SIGUSR1: the test types meanwhile.
#include <versos/consola.h>
#include <versos/util.h>

#include <signal.h>
#include <unistd.h>

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

// Until the test sends SIGUSR1, blocked from the start so that none is lost.
void wait_for_the_test() {
    sigset_t usr1;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    int sig;
    sigwait(&usr1, &sig);
}

// A key typed ahead after printed text: the text stays.
void key_typed_ahead_of_printed_text() {
    clrscr();
    gotoxy(10, 5);
    std::printf("printf text at (10,5)");
    std::fflush(stdout);
    wait_for_the_test();
    getch_();
    gotoxy(1, 10);
    cputs("read");
    getch_();
}

// Enter typed ahead on the bottom row: the echo scrolls the terminal.
void enter_typed_ahead_on_the_bottom_row() {
    gotoxy(30, 10);
    cputs("console text at (30,10)");
    gotoxy(1, 25);
    wait_for_the_test();
    getch_();
    gotoxy(1, 20);
    cputs("read");
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
    if (argc == 3) {
        sigset_t usr1;
        sigemptyset(&usr1);
        sigaddset(&usr1, SIGUSR1);
        sigprocmask(SIG_BLOCK, &usr1, nullptr);
        std::FILE* pid = std::fopen(argv[2], "w");
        if (!pid || std::fprintf(pid, "%d\n", static_cast<int>(getpid())) < 0 || std::fclose(pid) != 0) return 2;
    }
    if (std::strcmp(what, "window") == 0) window_over_shell_output();
    else if (std::strcmp(what, "box") == 0) box_over_printed_text();
    else if (std::strcmp(what, "prompt") == 0) prompt_before_key();
    else if (std::strcmp(what, "getche") == 0) prompt_before_echoed_key();
    else if (std::strcmp(what, "typed-ahead") == 0) key_typed_ahead_of_printed_text();
    else if (std::strcmp(what, "enter-typed-ahead") == 0) enter_typed_ahead_on_the_bottom_row();
    else if (std::strcmp(what, "capture") == 0) first_use_during_capture();
    else if (std::strcmp(what, "stdio") == 0) stdio_beside_console();
    else if (std::strcmp(what, "stderr") == 0) successive_lines_on_standard_error();
    else return 2;
    return 0;
}
