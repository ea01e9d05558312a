// The generator library: a mode and a seed run as the verse command runs
// them, with str2clip handing the fragment to the call instead of the
// clipboard. This str2clip stands in for the clipboard's own, which only the
// verse command links.
#include <versos/generador.h>

#include <cstring>

#include "core/buffers.h"
#include "core/clipboard/clipboard.h"
#include "core/modes.h"
#include "core/random.h"
#include "core/seed.h"
#include "lib/charsets/cp1252.h"

namespace versos {
namespace {

// The result of the call running on this thread, for str2clip.
thread_local std::string* result = nullptr;

struct ResultFor {
    explicit ResultFor(std::string& out) { result = &out; }
    ~ResultFor() { result = nullptr; }
};

bool run(char modo, int semilla, std::string& out) {
    out.clear();
    clear_buffers();
    srand(static_cast<unsigned int>(semilla));  // as versos: -1 seeds 4294967295
    const ResultFor to(out);
    return run_mode(modo);
}

}  // namespace

int str2clip(const char* text) {
    if (result == nullptr) return 0;  // no call running: there is no clipboard to open
    result->assign(text);
    return 1;
}

bool es_modo(char modo) { return modo != '\0' && std::strchr(modos, modo) != nullptr; }

int lee_semilla(const char* texto) { return seed_from_text(texto); }

bool fragmento(char modo, int semilla, std::string& out) { return run(modo, semilla, out); }

bool fragmento_utf8(char modo, int semilla, std::string& out) {
    thread_local std::string bytes;
    if (!run(modo, semilla, bytes)) {
        out.clear();
        return false;
    }
    out.clear();
    append_cp1252_as_utf8(bytes.data(), bytes.size(), out);
    return true;
}

std::optional<std::string> fragmento(char modo, int semilla) {
    std::string out;
    if (!fragmento(modo, semilla, out)) return std::nullopt;
    return out;
}

std::optional<std::string> fragmento_utf8(char modo, int semilla) {
    std::string out;
    if (!fragmento_utf8(modo, semilla, out)) return std::nullopt;
    return out;
}

}  // namespace versos
