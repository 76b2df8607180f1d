// Geometry of the main window: compact size and the painted panels.
#pragma once
#include <windows.h>

#include <vector>

// The window rectangle shortened from the bottom to half its height (truncating).
RECT CompactRectOf(const RECT& full);
// Top-left corner that centres a `width` x `height` window on the screen.
POINT CentredOrigin(int screenWidth, int screenHeight, int width, int height);

// One rounded panel (ui/RoundedFrame.h's FillRounded) filled with one colour, in paint order.
struct Panel {
    RECT rect;
    COLORREF color;
};
constexpr COLORREF kWindowGrey = RGB(235, 235, 235);
// Panels of the compact window (`expanded` false, `compact` its client size) or of the
// expanded one (both sizes used), at `dpi` (margins and edges are drawn for 96 DPI).
std::vector<Panel> BackgroundPanels(bool expanded, SIZE full, SIZE compact, int dpi);
