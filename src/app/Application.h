// The process's entry into the system: single instance, logo, skin, main window.
#pragma once
#include <windows.h>

class Application {
public:
    // Runs the main window modally and returns when it has closed.
    using MainWindowRunner = void (*)(int argc, char** argv);

    Application(int argc, char** argv) : argc_(argc), argv_(argv) {}
    // Runs the whole application; always returns false (there is no message loop after it).
    bool StartUp(MainWindowRunner runMainWindow);

private:
    int argc_;
    char** argv_;
};

// Title of the main window, by which a second start finds the running copy.
extern const char kMainWindowTitle[];
