// Progress of ficheros on a terminal: one line on standard error, redrawn
// when the percentage read of a large file changes.
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <string>

#include <versos/util/failure.h>

#include "ficheros.h"

namespace versos::ficheros {
namespace {

constexpr std::uint64_t kShownFrom = 64ull << 20;  // smaller files are done before progress would help

std::string g_path;
int g_percent = -1;
bool g_drawn = false;

void show(const char* path, std::uint64_t done, std::uint64_t total) {
    if (total <= kShownFrom) return;
    const int percent = done >= total ? 100 : static_cast<int>(done * 100 / total);
    if (percent == g_percent && g_path == path) return;
    g_percent = percent;
    g_path = path;
    std::fprintf(stderr, "\r\033[Kficheros: %s %3d%%", shown(path).c_str(), percent);
    std::fflush(stderr);
    g_drawn = true;
}

}  // namespace

void enable_progress() {
    if (::isatty(STDERR_FILENO)) set_file_progress(show);
}

void clear_progress() {
    set_file_progress(nullptr);
    if (g_drawn) std::fputs("\r\033[K", stderr);
    g_drawn = false;
}

}  // namespace versos::ficheros
