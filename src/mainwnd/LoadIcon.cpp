#include "mainwnd/LoadIcon.h"

#include <cstdio>

int BasePictureIndex(int usedMB, int totalMB) {
    int quarter = totalMB / 4;
    if (usedMB <= 2 * quarter) return 0;
    if (usedMB <= 3 * quarter) return 1;
    return 2;
}

std::string TrayIconText(bool percentMode, int availMB, int totalMB) {
    char text[16];
    if (percentMode) {
        int used = totalMB > 0 ? 1 + static_cast<int>((1.0 - static_cast<double>(availMB) / totalMB) * 100) : 0;
        std::snprintf(text, sizeof text, "%d%%", used);
    } else {
        std::snprintf(text, sizeof text, "%d", totalMB - availMB);
    }
    return text;
}

int TrayTextX(size_t length) { return length >= 3 ? 0 : length == 2 ? 10 : 20; }

COLORREF TrayTextColor(COLORREF background) {
    bool allNonZero = GetRValue(background) && GetGValue(background) && GetBValue(background);
    return allNonZero ? RGB(0, 0, 0) : RGB(255, 255, 255);
}
