#include "mainwnd/MainGeometry.h"

#include "ui/Dpi.h"
#include "ui/Palette.h"

RECT CompactRectOf(const RECT& full) {
    RECT r = full;
    r.bottom = full.top + (full.bottom - full.top) / 2;
    return r;
}

POINT CentredOrigin(int screenWidth, int screenHeight, int width, int height) {
    return POINT{(screenWidth - width) / 2, (screenHeight - height) / 2};
}

std::vector<Panel> BackgroundPanels(bool expanded, SIZE full, SIZE compact, int dpi) {
    std::vector<Panel> panels;
    // Each panel inset from the client's edges (below `top`) by margins of 96 DPI.
    auto panel = [&](SIZE size, LONG top, int leftTop, int rightBottom, COLORREF color) {
        const LONG a = ScaleToDpi(leftTop, dpi), b = ScaleToDpi(rightBottom, dpi);
        panels.push_back({{a, top + a, size.cx - b, size.cy - b}, color});
    };
    if (expanded) {
        const LONG middle = full.cy / 2;
        panel(full, middle, 10, 6, kFrameGrey);
        panel(full, middle, 8, 8, kWhite);
    }
    panel(compact, 0, 10, 8, kDarkGrey);
    panel(compact, 0, 8, 10, kBlack);
    return panels;
}
