// The shared tool-window background: light grey with a white rounded panel.
#pragma once
#include <windows.h>

struct RoundedFrameRegions {
    RECT dark;   // edge along the right and bottom
    RECT pale;   // edge along the top and left
    RECT panel;  // the white panel
};

// Fills `r` with `color` as a panel with rounded corners (ellipses of 15 x 15), the shape of
// every panel of the program's own look.
void FillRounded(HDC dc, const RECT& r, COLORREF color);

// The three rounded regions for a client area of `width` x `height`.
RoundedFrameRegions RoundedFrameFor(int width, int height);

// Draws the background of a `width` x `height` client area onto `dc`.
void DrawRoundedFrame(HDC dc, int width, int height);

// Paint handler of a window with this background: validates the window and
// draws through an off-screen bitmap.
void PaintRoundedFrame(HWND wnd);
