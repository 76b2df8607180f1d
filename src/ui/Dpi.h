// Pixels that follow the display's scaling: sizes in this program are written for 96 DPI.
#pragma once
#include <windows.h>

constexpr int kBaseDpi = 96;
// Sent to a top-level window moved to a monitor of another scaling (Windows 8.1 and later):
// the new DPI in LOWORD(wParam), the suggested window rectangle (a RECT*) in lParam. The
// declarations of this SDK stop at XP.
constexpr UINT kWmDpiChanged = 0x02E0;

// The DPI `wnd` is drawn at: the window's own where the system tells it (Windows 10 and
// later), else the screen's; kBaseDpi when neither can be read.
int WindowDpi(HWND wnd);
// `pixels` at 96 DPI, at `dpi`, rounded to the nearest pixel.
inline int ScaleToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }
// A line `pixels` wide at 96 DPI, at `dpi`: never thinner than one pixel.
inline int LineWidth(int pixels, int dpi) {
    int width = ScaleToDpi(pixels, dpi);
    return width > 0 ? width : 1;
}
// System metric `metric` (an icon size: SM_CXICON, SM_CXSMICON) at `dpi`: the system's answer
// for that DPI where it gives one (Windows 10), else its answer for the screen, scaled.
int SystemIconSize(int metric, int dpi);
// Side in pixels of the shell's small icons at `dpi`: 16 at 96, 24 at 144, 32 at 192.
inline int SmallIconSize(int dpi) { return SystemIconSize(SM_CXSMICON, dpi); }
// Keeps the dialog manager of Windows 10 (1703 and later) from rescaling `dialog` by itself at a
// change of DPI: the dialog does it, as it must on every other system.
void TakeOverDialogScaling(HWND dialog);
