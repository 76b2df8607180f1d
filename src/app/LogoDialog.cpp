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
    // The picture is drawn for 96 DPI: the window and the picture grow with the scaling.
    const int width = ScaleToDpi(kWidth, Dpi()), height = ScaleToDpi(kHeight, Dpi());
    SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(Item(IDC_LOGO_PICTURE), nullptr, 0, 0, width, height, SWP_NOZORDER);
    FitPictures();
    return TRUE;
}

void LogoDialog::OnClose(DialogMessage& m) {
    KillTimer(hwnd_, kCloseTimer);
    EndDialog(IDOK);
    m.passOn = m.message == WM_LBUTTONDOWN;
}
