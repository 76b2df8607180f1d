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

UniqueIcon DrawTrayPicture(HICON base, const std::string& text, bool percentMode, COLORREF background) {
    if (!base) return UniqueIcon();
    WindowDc screen(nullptr);
    UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    UniqueGdi<HBITMAP> picture(CreateCompatibleBitmap(screen.get(), 32, 32));
    if (!memory || !picture) return UniqueIcon();
    ICONINFO info{};
    if (!GetIconInfo(base, &info)) return UniqueIcon();
    UniqueGdi<HBITMAP> mask(info.hbmMask), color(info.hbmColor);
    {
        SelectGuard select(memory.get(), picture.get());
        DrawIconEx(memory.get(), 0, 0, base, 32, 32, 0, nullptr, DI_NORMAL);
        RECT top = {0, 0, 32, 24};
        UniqueGdi<HBRUSH> brush(CreateSolidBrush(background));
        FillRect(memory.get(), &top, brush.get());
        UniqueGdi<HFONT> font(CreateFontA(percentMode ? 22 : 26, 10, 0, 0, 100, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                          OUT_STRING_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                          "MS Serif"));
        SelectGuard selectFont(memory.get(), font.get());
        SetTextColor(memory.get(), TrayTextColor(background));
        SetBkMode(memory.get(), TRANSPARENT);
        TextOutA(memory.get(), TrayTextX(text.size()), 0, text.c_str(), static_cast<int>(text.size()));
    }
    info.hbmColor = picture.get();
    info.fIcon = TRUE;
    return UniqueIcon(CreateIconIndirect(&info));
}
