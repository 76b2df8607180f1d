#include <windows.h>

#include <cstdlib>

#include "app/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Application app(__argc, __argv);
    app.StartUp();
    return 0;
}
