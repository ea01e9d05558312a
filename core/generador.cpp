// The generator library: a mode and a seed run as the verse command runs
// them, with the caller's string, not the clipboard, as where the fragment
// goes.
#include <versos/generador.h>

#include <cstring>

#include "core/buffers.h"
#include "core/fragment_destination.h"
#include "core/modes.h"
#include "core/random.h"
#include "core/seed.h"
#include "lib/charsets/cp1252.h"

namespace versos {
namespace {

// The call's own string, installed on its thread for the length of the run.
class IntoResult final : public FragmentDestination {
public:
    explicit IntoResult(std::string& out) : out_(out) {}
    int take(const char* text) override {
        out_.assign(text);
        return 1;
    }

private:
    std::string& out_;
};

bool run(char modo, int semilla, std::string& out) {
    out.clear();
    clear_buffers();
    srand(static_cast<unsigned int>(semilla));  // as versos: -1 seeds 4294967295
    IntoResult result(out);
    const FragmentsGoTo to(result);
    return run_mode(modo);
}

}  // namespace

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
