#include <versos/util.h>

#include <cstdio>
#include <cstring>

int main() {
    char name[64];
    versos::solonombre_(name, "C:\\versos\\oda.txt");
    char text[64] = "  oda  al  mar ";
    versos::crunch_(text, ' ');
    const bool ok = std::strcmp(name, "oda") == 0 && std::strcmp(text, "oda al mar") == 0;
    std::puts(ok ? "ok" : "wrong results");
    return ok ? 0 : 1;
}
