#include "mainwnd/MainGeometry.h"

RECT CompactRectOf(const RECT& full) {
    RECT r = full;
    r.bottom = full.top + (full.bottom - full.top) / 2;
    return r;
}

POINT CentredOrigin(int screenWidth, int screenHeight, int width, int height) {
    return POINT{(screenWidth - width) / 2, (screenHeight - height) / 2};
}

std::vector<Panel> BackgroundPanels(bool expanded, SIZE full, SIZE compact) {
    std::vector<Panel> panels;
    auto pair = [&](RECT edge, COLORREF edgeColor, RECT face, COLORREF faceColor) {
        panels.push_back({edge, edgeColor});
        panels.push_back({face, faceColor});
    };
    if (expanded) {
        LONG w = full.cx, h = full.cy, m = h / 2;
        pair({10, m + 10, w - 6, h - 6}, RGB(50, 50, 50), {8, m + 8, w - 8, h - 8}, RGB(255, 255, 255));
    }
    LONG w = compact.cx, h = compact.cy;
    pair({10, 10, w - 8, h - 8}, RGB(85, 85, 85), {8, 8, w - 10, h - 10}, RGB(0, 0, 0));
    return panels;
}
