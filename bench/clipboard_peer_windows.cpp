// The peer of versos.exe's start-up under Wine: a windowless program that
// imports USER32, opens the clipboard and closes it, and nothing more. (A
// program importing USER32 starts at about twice a bare console program
// there, so this is the fair peer.)
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    if (OpenClipboard(nullptr)) CloseClipboard();
    return 0;
}
