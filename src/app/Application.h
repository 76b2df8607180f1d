// The process's entry into the system: single instance, logo, skin, main window.
#pragma once
#include <windows.h>

class Dialog;

class Application {
public:
    Application(int argc, char** argv) : argc_(argc), argv_(argv) {}
    // Runs the whole application; always returns false (there is no message loop after it).
    bool StartUp();
    // The main window while it runs, else null.
    Dialog* MainWindow() const { return mainWindow_; }

private:
    int argc_;
    char** argv_;
    Dialog* mainWindow_ = nullptr;
};

// Title of the main window, by which a second start finds the running copy.
extern const char kMainWindowTitle[];
