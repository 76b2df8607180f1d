// The program's entry: the application frame runs the main window.
#include <windows.h>

#include <cstdlib>

#include "app/Application.h"
#include "mainwnd/MainDialog.h"

// The runtime's default terminate handler prints the exception's demangled type, which
// links the whole demangler (about 50 KB) into a window program that has no console.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

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
