#include "mainwnd/MainGeometry.h"

#include "ui/Palette.h"

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
        pair({10, m + 10, w - 6, h - 6}, kFrameGrey, {8, m + 8, w - 8, h - 8}, kWhite);
    }
    LONG w = compact.cx, h = compact.cy;
    pair({10, 10, w - 8, h - 8}, kDarkGrey, {8, 8, w - 10, h - 10}, kBlack);
    return panels;
}
