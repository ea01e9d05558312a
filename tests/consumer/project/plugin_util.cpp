// A plugin over versos::util: 1 when the library's routines answer rightly.
#include <versos/util.h>
#include <versos/version.h>

#include <cstring>

extern "C" __attribute__((visibility("default"))) int plugin_check() {
    char name[64];
    versos::solonombre_(name, "C:\\versos\\oda.txt");
    char text[64] = "  oda  al  mar ";
    versos::crunch_(text, ' ');
    char word[] = "a\xF1o";
    versos::win2dos(word);
    return std::strcmp(name, "oda") == 0 && std::strcmp(text, "oda al mar") == 0 &&
           std::strcmp(word, "a\xA4o") == 0 && std::strcmp(versos::version(), VERSOS_VERSION_STRING) == 0;
}
