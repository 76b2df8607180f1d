// The floor of a program that waits in the notification area, as a yardstick for Mnemora's
// cost there: one hidden dialog, one tray icon, and a 500 ms timer that reads the memory status
// and sets the icon's tooltip. Nothing else.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

namespace {
const UINT_PTR kTimer = 1;
NOTIFYICONDATAA gIcon;

INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        gIcon.cbSize = sizeof gIcon;
        gIcon.hWnd = dlg;
        gIcon.uID = 1;
        gIcon.uFlags = NIF_ICON | NIF_TIP;
        gIcon.hIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
        std::snprintf(gIcon.szTip, sizeof gIcon.szTip, "bare tray");
        Shell_NotifyIconA(NIM_ADD, &gIcon);
        SetTimer(dlg, kTimer, 500, nullptr);
        return TRUE;
    case WM_TIMER: {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof status;
        GlobalMemoryStatusEx(&status);
        std::snprintf(gIcon.szTip, sizeof gIcon.szTip, "Memory in use: %lu %%",
                      static_cast<unsigned long>(status.dwMemoryLoad));
        gIcon.uFlags = NIF_TIP;
        Shell_NotifyIconA(NIM_MODIFY, &gIcon);
        return TRUE;
    }
    case WM_CLOSE:
        Shell_NotifyIconA(NIM_DELETE, &gIcon);
        DestroyWindow(dlg);
        return TRUE;
    case WM_DESTROY: PostQuitMessage(0); return TRUE;
    }
    return FALSE;
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    // A dialog template without controls, never shown.
    struct {
        DLGTEMPLATE head;
        WORD menu, windowClass, title;
    } dialog{};
    dialog.head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    dialog.head.cx = 100;
    dialog.head.cy = 50;
    HWND dlg = CreateDialogIndirectParamA(instance, &dialog.head, nullptr, Proc, 0);
    if (!dlg) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(dlg, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
