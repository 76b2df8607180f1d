// The program's entry: the application frame runs the main window.
#include <windows.h>

#include <cstdlib>

#include "app/Application.h"
#include "mainwnd/MainDialog.h"

namespace {
void RunMainWindow(int argc, char** argv) {
    MainDialog main(argc, argv);
    main.RunModal();
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Application app(__argc, __argv);
    app.StartUp(&RunMainWindow);
    return 0;
}
