// Runs the output capture as a program does, with standard output whatever
// the test made it, and reports on standard error.
//
//   capture_child whole      before, during (more than a stdio buffer) and after
//   capture_child bounded    printsn_ into small targets
//   capture_child forget     exits while capturing
//   capture_child closed     starts with standard output closed
//   capture_child terminal   on a terminal: line-buffered again after the capture
//   capture_child limited    more than a file-size limit lets the capture file keep
#include <versos/util.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

char captured[16384];

int files_in_tmpdir() {
    DIR* folder = opendir(std::getenv("TMPDIR"));
    if (!folder) return -1;
    int files = 0;
    while (dirent* entry = readdir(folder))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) ++files;
    closedir(folder);
    return files;
}

int whole() {
    std::printf("before\n");  // still in stdout's buffer when the capture starts
    int opened = versos::openprints_();
    int files = files_in_tmpdir();
    std::printf("%s", std::string(600, 'a').c_str());
    int first = versos::prints_(captured);
    std::printf("%s", std::string(5000, 'b').c_str());  // stdio flushes some of it by itself
    std::printf("de");
    int second = versos::prints_(captured);
    int closed = versos::closeprints_();
    std::printf("after\n");
    std::fprintf(stderr, "open %d files %d prints %d %d close %d\n%s\n", opened, files, first, second, closed,
                 captured);
    return 0;
}

int bounded() {
    versos::openprints_();
    std::printf("%s", std::string(600, 'c').c_str());
    int r1 = versos::printsn_(captured, 100);
    std::size_t l1 = std::strlen(captured);
    int r2 = versos::printsn_(captured, 1000);
    std::size_t l2 = std::strlen(captured);
    std::printf("z");
    int r3 = versos::printsn_(captured, 601);
    int r4 = versos::printsn_(captured, 602);
    std::size_t l4 = std::strlen(captured);
    versos::closeprints_();
    std::fprintf(stderr, "%d %zu %d %zu %d %d %zu %c\n", r1, l1, r2, l2, r3, r4, l4, captured[600]);
    return 0;
}

int forget() {
    std::printf("before\n");
    versos::openprints_();
    std::printf("never delivered\n");
    return 0;
}

int closed() {
    close(STDOUT_FILENO);
    int opened = versos::openprints_();
    std::printf("x");
    versos::prints_(captured);
    int closed = versos::closeprints_();
    errno = 0;
    int still_closed = fcntl(STDOUT_FILENO, F_GETFD) < 0 && errno == EBADF;
    std::fprintf(stderr, "open %d close %d text %s closed %d\n", opened, closed, captured, still_closed);
    return 0;
}

int terminal() {
    versos::openprints_();  // before standard output's first line
    std::printf("x");
    versos::prints_(captured);
    versos::closeprints_();
    std::printf("after %s\n", captured);  // seen before the program ends only if line-buffered
    char key;
    return read(STDIN_FILENO, &key, 1) == 1 ? 0 : 1;
}

int limited() {
    // As a caller that sets a file-size limit should: a write past it fails.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit most = {64 << 10, 64 << 10};
    if (setrlimit(RLIMIT_FSIZE, &most) != 0) return 3;
    static char text[1000001], delivered[1000001];
    for (std::size_t i = 0; i + 1 < sizeof text; ++i) text[i] = static_cast<char>('a' + i % 26);
    versos::openprints_();
    std::fputs(text, stdout);
    const int first = versos::prints_(delivered);
    const std::size_t kept = std::strlen(delivered);
    std::fputs("more", stdout);
    const int again = versos::printsn_(delivered, sizeof delivered);
    const int closed = versos::closeprints_();
    std::fprintf(stderr, "prints %d %zu %d, then %d %zu, close %d\n", first, kept,
                 std::strncmp(delivered, text, kept) == 0, again, std::strlen(delivered), closed);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "whole") return whole();
    if (mode == "bounded") return bounded();
    if (mode == "forget") return forget();
    if (mode == "closed") return closed();
    if (mode == "terminal") return terminal();
    if (mode == "limited") return limited();
    return 2;
}
