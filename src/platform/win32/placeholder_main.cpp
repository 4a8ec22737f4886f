// Stands in for the program while the installer's logic does not build for Windows: it carries
// Vantrel.exe's resources and does nothing, failing, so that nobody takes it for the installer.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 1;
}
