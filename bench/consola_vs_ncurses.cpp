// consola_vs_ncurses: the same visible work drawn through versos::consola and
// through ncurses (refresh after every call, since the console draws at
// once), each in a process of its own on a pseudo-terminal of 80 x 25 whose
// output this process drains and counts. Prints, for each workload, the bytes
// the terminal received and the median time, as ratios against ncurses,
// repetitions of the two interleaved. Once, before the timed runs, both
// byte streams are fed to a terminal emulator (libvterm) to check that they
// end on the same screen; ncurses' endwin is left out then, since it clears
// the bottom row when it has set colours.
//
//   (a) a 20 x 5 window at column 11, row 6 receiving 200,000 characters in
//       pieces of 37 letters, wrapping and scrolling;
//   (b) 20,000 cursor moves, each followed by 3 characters, at places drawn
//       from a fixed sequence, the attribute changing every seventh move;
//   (c) the whole 80 x 25 screen, cleared first, receiving the characters
//       of (a).
//
// In (a) and (b) the console has not drawn the rest of the screen, which
// it must leave as it was (ncurses clears it at start and owns it): it may
// send more there. In (c) the console knows every cell, as ncurses does.
//
//   consola_vs_ncurses [-n REPETITIONS] [-s FOLDER]   (default 11)
//
// -s writes the bytes the console sent in each workload to FOLDER/a, b and
// c, so that two builds can be compared byte for byte.
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <versos/consola.h>
// After the console's header: ncurses defines macros of common names.
#include <curses.h>

#include "tests/console/terminal/vterm_screen.h"
#include "tests/support/pty_child.h"

namespace {

constexpr int kRows = 25, kColumns = 80;
constexpr int kCharacters = 200000, kPiece = 37;
constexpr int kMoves = 20000, kMovesPerAttribute = 7;

// Foreground and background pairs, Windows colour numbers (blue 1, red 4),
// none bright: a terminal of 8 colours shows them all alike.
constexpr int kColours[][2] = {{7, 0}, {4, 1}, {1, 2}, {0, 3}, {2, 4}, {6, 5}, {3, 6}, {5, 7}};
constexpr int kColourCount = sizeof kColours / sizeof kColours[0];

// ncurses numbers colours as ANSI does: red 1, blue 4.
short ansi(int colour) { return static_cast<short>(((colour & 1) << 2) | (colour & 2) | ((colour & 4) >> 2)); }

// The pieces of (a): the alphabet over and over, cut every 37 letters.
template <typename Write>
void for_each_piece(Write write) {
    char piece[kPiece + 1];
    for (int done = 0; done < kCharacters;) {
        const int n = std::min(kPiece, kCharacters - done);
        for (int i = 0; i < n; ++i) piece[i] = static_cast<char>('a' + (done + i) % 26);
        piece[n] = '\0';
        write(piece);
        done += n;
    }
}

// The moves of (b): 1-based places where 3 characters fit on the row, and
// the colour pair to set first (-1: none).
template <typename Move>
void for_each_move(Move move) {
    unsigned state = 12345;
    auto next = [&](unsigned range) {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16 & 0x7FFF) % range);
    };
    char text[4] = {};
    for (int i = 0; i < kMoves; ++i) {
        const int x = 1 + next(kColumns - 3), y = 1 + next(kRows);
        for (int k = 0; k < 3; ++k) text[k] = static_cast<char>('A' + (i + k) % 26);
        move(i % kMovesPerAttribute == 0 ? i / kMovesPerAttribute % kColourCount : -1, x, y, text);
    }
}

// Left false for the check of the screens.
bool end_ncurses = true;

int attribute(int pair) { return kColours[pair][1] << 4 | kColours[pair][0]; }

void consola_window() {
    versos::textattr(attribute(0));
    versos::window(11, 6, 30, 10);
    for_each_piece([](const char* piece) { versos::cputs(piece); });
}

void consola_screen() {
    versos::textattr(attribute(0));
    versos::clrscr();
    for_each_piece([](const char* piece) { versos::cputs(piece); });
}

void consola_moves() {
    for_each_move([](int pair, int x, int y, const char* text) {
        if (pair >= 0) versos::textattr(attribute(pair));
        versos::gotoxy(x, y);
        versos::cputs(text);
    });
}

void ncurses_start() {
    initscr();
    start_color();
    for (int p = 0; p < kColourCount; ++p)
        init_pair(static_cast<short>(p + 1), ansi(kColours[p][0]), ansi(kColours[p][1]));
    refresh();
}

void ncurses_window() {
    ncurses_start();
    WINDOW* w = newwin(5, 20, 5, 10);
    scrollok(w, TRUE);
    wrefresh(w);
    for_each_piece([w](const char* piece) {
        waddstr(w, piece);
        wrefresh(w);
    });
    delwin(w);
    if (end_ncurses) endwin();
}

void ncurses_screen() {
    ncurses_start();
    scrollok(stdscr, TRUE);
    bkgdset(COLOR_PAIR(1));
    clear();
    refresh();
    for_each_piece([](const char* piece) {
        addstr(piece);
        refresh();
    });
    if (end_ncurses) endwin();
}

void ncurses_moves() {
    ncurses_start();
    for_each_move([](int pair, int x, int y, const char* text) {
        if (pair >= 0) {
            attrset(COLOR_PAIR(pair + 1));
            refresh();
        }
        move(y - 1, x - 1);
        refresh();
        addstr(text);
        refresh();
    });
    if (end_ncurses) endwin();
}

double now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct Run {
    double seconds;
    std::string output;
};

// The work in a child on a new pseudo-terminal; its output drained here
// until the child has gone.
Run run(void (*work)(), bool end = true) {
    int master, slave;
    winsize size{kRows, kColumns, 0, 0};
    if (openpty(&master, &slave, nullptr, nullptr, &size) != 0) {
        std::perror("consola_vs_ncurses: openpty");
        std::exit(2);
    }
    std::fflush(nullptr);  // else the child would write this process's buffered text too
    const double start = now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("consola_vs_ncurses: fork");
        std::exit(2);
    }
    if (child == 0) {
        // Its standard error stays this process's, where failures show.
        versos::test::become_terminal_program(master, slave, false);
        end_ncurses = end;
        work();
        std::exit(0);  // as a program ends: the libraries' exit handlers run
    }
    close(slave);
    Run result{0, {}};
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n > 0) {
            result.output.append(buffer, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EIO: the child's side is closed
        }
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    result.seconds = now() - start;
    close(master);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "consola_vs_ncurses: a drawing process failed (status %d)\n", status);
        std::exit(2);
    }
    return result;
}

// The same characters, and the same colours where they show (a blank shows
// its background only); the terminal's default colours taken as grey on
// black, as the console's attribute 7 shows.
bool same_screen(const std::string& a, const std::string& b) {
    versos::console::testing::VtermScreen x(kRows, kColumns), y(kRows, kColumns);
    x.feed(a);
    y.feed(b);
    int wrong = 0;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            auto p = x.at(r, c), q = y.at(r, c);
            auto fg = [](int i) { return i < 0 ? 7 : i; };
            auto bg = [](int i) { return i < 0 ? 0 : i; };
            const bool blank = p.ch == U' ';
            if (p.ch != q.ch || bg(p.bg) != bg(q.bg) || (!blank && fg(p.fg) != fg(q.fg))) {
                if (++wrong <= 5)
                    std::fprintf(stderr, "  row %d column %d: U+%04X %d/%d against U+%04X %d/%d\n", r + 1, c + 1,
                                 static_cast<unsigned>(p.ch), p.fg, p.bg, static_cast<unsigned>(q.ch), q.fg, q.bg);
            }
        }
    for (int r = 0; r < kRows && wrong > 0; ++r)
        if (x.row_text(r) != y.row_text(r)) {
            std::fprintf(stderr, "  row %d:\n  %s\n  %s\n", r + 1, x.row_text(r).c_str(), y.row_text(r).c_str());
            break;
        }
    return wrong == 0;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void save(const char* folder, char name, const std::string& bytes) {
    const std::string path = std::string(folder) + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
        std::fprintf(stderr, "consola_vs_ncurses: can't write %s\n", path.c_str());
        std::exit(2);
    }
}

struct Workload {
    const char* name;
    void (*consola)();
    void (*ncurses)();
};

}  // namespace

int main(int argc, char** argv) {
    int repetitions = 11;
    const char* save_in = nullptr;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 < argc && std::strcmp(argv[i], "-n") == 0) {
            repetitions = std::atoi(argv[i + 1]);
        } else if (i + 1 < argc && std::strcmp(argv[i], "-s") == 0) {
            save_in = argv[i + 1];
        } else {
            std::fputs("usage: consola_vs_ncurses [-n REPETITIONS] [-s FOLDER]\n", stderr);
            return 2;
        }
    }
    if (repetitions < 1) return 2;
    const Workload workloads[] = {
        {"(a) 20x5 window, 200000 characters in cputs of 37", consola_window, ncurses_window},
        {"(b) 20000 gotoxy + cputs of 3, attribute every 7th", consola_moves, ncurses_moves},
        {"(c) the whole 80x25 after clrscr, 200000 characters in cputs of 37", consola_screen, ncurses_screen},
    };
    bool all_same = true;
    for (const Workload& w : workloads) {
        if (!same_screen(run(w.consola, false).output, run(w.ncurses, false).output)) {
            std::fprintf(stderr, "%s: the two end on different screens\n", w.name);
            all_same = false;
        }
        std::vector<double> time[2];
        std::size_t bytes[2] = {};
        for (int r = 0; r < repetitions; ++r) {
            // Who goes first alternates, so that both see the same machine.
            Run runs[2];
            for (int k = 0; k < 2; ++k) {
                const int side = (r + k) % 2;
                runs[side] = run(side == 0 ? w.consola : w.ncurses);
                time[side].push_back(runs[side].seconds);
            }
            for (int side = 0; side < 2; ++side) {
                if (r > 0 && runs[side].output.size() != bytes[side])
                    std::fprintf(stderr, "%s: the bytes written changed from one run to the next\n", w.name);
                bytes[side] = runs[side].output.size();
            }
            if (save_in && r == 0) save(save_in, static_cast<char>('a' + (&w - workloads)), runs[0].output);
        }
        const double t0 = median(time[0]), t1 = median(time[1]);
        std::printf("%s\n", w.name);
        std::printf("  bytes: consola %zu, ncurses %zu, ratio %.3f\n", bytes[0], bytes[1],
                    static_cast<double>(bytes[0]) / static_cast<double>(bytes[1]));
        std::printf("  time:  consola %.1f ms, ncurses %.1f ms, ratio %.3f  (median of %d, interleaved)\n", t0 * 1e3,
                    t1 * 1e3, t0 / t1, repetitions);
    }
    return all_same ? 0 : 1;
}
