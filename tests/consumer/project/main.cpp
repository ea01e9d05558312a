// Uses the three libraries directly, then loads each plugin and runs its check.
#include <dlfcn.h>

#include <versos/consola.h>
#include <versos/generador.h>
#include <versos/util.h>

#include <cstdio>
#include <cstring>

namespace {

bool plugin_passes(const char* path) {
    // Never unloaded: the libraries keep buffers and the console's state for
    // the life of the process, which unloading would cut short.
    void* plugin = dlopen(path, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (plugin == nullptr) {
        std::printf("cannot load %s: %s\n", path, dlerror());
        return false;
    }
    using Check = int (*)();
    const auto check = reinterpret_cast<Check>(dlsym(plugin, "plugin_check"));
    const bool passed = check != nullptr && check() == 1;
    if (!passed) std::printf("%s: wrong results\n", path);
    return passed;
}

}  // namespace

int main() {
    char name[64];
    versos::solonombre_(name, "C:\\versos\\oda.txt");
    versos::window(11, 6, 30, 10);
    versos::gotoxy(5, 3);
    const bool direct = std::strcmp(name, "oda") == 0 && versos::wherex() == 5 && versos::wherey() == 3 &&
                        versos::fragmento('k', 2) == "un";
    if (!direct) std::puts("wrong results");
    const bool plugins =
        plugin_passes(PLUGIN_UTIL) && plugin_passes(PLUGIN_CONSOLA) && plugin_passes(PLUGIN_GENERADOR);
    if (direct && plugins) std::puts("ok");
    return direct && plugins ? 0 : 1;
}
