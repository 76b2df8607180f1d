// Pixels that follow the display's scaling: sizes in this program are written for 96 DPI.
#pragma once
#include <windows.h>

constexpr int kBaseDpi = 96;

// The DPI `wnd` is drawn at: the window's own where the system tells it (Windows 10 and
// later), else the screen's; kBaseDpi when neither can be read.
int WindowDpi(HWND wnd);
// `pixels` at 96 DPI, at `dpi`, rounded to the nearest pixel.
inline int ScaleToDpi(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }
