// The shared tool-window background: light grey with a white rounded panel.
#pragma once
#include <windows.h>

#include "ui/Dpi.h"

struct RoundedFrameRegions {
    RECT dark;   // edge along the right and bottom
    RECT pale;   // edge along the top and left
    RECT panel;  // the white panel
};

// Fills `r` with `color` as a panel with rounded corners (ellipses of 15 x 15 at 96 DPI, grown
// with `dpi`), the shape of every panel of the program's own look.
void FillRounded(HDC dc, const RECT& r, COLORREF color, int dpi = kBaseDpi);

// The three rounded regions for a client area of `width` x `height` at `dpi` (edges and
// margins are drawn for 96 DPI and grow with it).
RoundedFrameRegions RoundedFrameFor(int width, int height, int dpi = kBaseDpi);

// Draws the background of a `width` x `height` client area at `dpi` onto `dc`.
void DrawRoundedFrame(HDC dc, int width, int height, int dpi = kBaseDpi);

// Paint handler of a window with this background, drawn at `dpi`: validates the window and
// draws through an off-screen bitmap.
void PaintRoundedFrame(HWND wnd, int dpi);
