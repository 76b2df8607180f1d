// The tool windows and the about box as the main window opens them, and how each is closed.
#pragma once
#include "resource.h"

namespace driver {

struct ToolWindow {
    const char* title;
    int button;       // on the main window
    int trayCommand;  // 0: not on the tray menu
    int close;
};

constexpr ToolWindow kToolWindows[] = {
    {"Process manager", IDC_CLEANRAM_BT, ID_TRAY_PROCESS, IDCANCEL},
    {"Start-up items", IDC_MSCONFIG_BT, ID_TRAY_STARTUP, IDCANCEL},
    {"Service manager", IDC_SERVICEMG_BT, ID_TRAY_SERVICE, IDCANCEL},
    {"Cache settings", IDC_BUTTONOT1, ID_TRAY_CACHE, IDCANCEL},
    {"Memory modules", IDC_MEMHDINFOBT, 0, IDOK},
    {"About", IDC_ABOUT2, ID_TRAY_ABOUT, IDOK},
};

}  // namespace driver
