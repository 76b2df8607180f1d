#include "app/LogoDialog.h"

#include "resource.h"

const char kLogoWindowTitle[] = "Mnemora Logo";

const LogoDialog::Route LogoDialog::kRoutes[] = {
    {WM_TIMER, kCloseTimer, 0, &LogoDialog::OnClose},
    {WM_KEYDOWN, 0, 0, &LogoDialog::OnClose},
    {WM_LBUTTONDOWN, 0, 0, &LogoDialog::OnClose},
    {},
};

LogoDialog::LogoDialog() : DialogImpl(IDD_LOGO_DIALOG) {}

BOOL LogoDialog::OnInitDialog() {
    SetWindowTextA(hwnd_, kLogoWindowTitle);
    SetTimer(hwnd_, kCloseTimer, kCloseAfterMs, nullptr);
    // Centred by the template's size; the picture's size is set after, keeping the corner.
    RECT r;
    GetWindowRect(hwnd_, &r);
    int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(hwnd_, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER);
    return TRUE;
}

void LogoDialog::OnClose(DialogMessage& m) {
    KillTimer(hwnd_, kCloseTimer);
    EndDialog(IDOK);
    m.passOn = m.message == WM_LBUTTONDOWN;
}
