#include "mainwnd/LoadIcon.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

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

COLORREF TrayTextColor(COLORREF background) {
    bool allNonZero = GetRValue(background) && GetGValue(background) && GetBValue(background);
    return allNonZero ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

int TrayTextRows(int size) { return size * 3 / 4; }

namespace {
// Bold figures as high as the text rows, condensed until `text` fits `size` pixels across;
// drawn without smoothing, so each pixel of so small a picture is black or background.
HFONT TrayFont(HDC dc, const std::string& text, int size) {
    LOGFONTA lf{};
    lf.lfHeight = -TrayTextRows(size);
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    std::strcpy(lf.lfFaceName, "Tahoma");
    for (int attempt = 0; attempt < 3; ++attempt) {
        UniqueGdi<HFONT> font(CreateFontIndirectA(&lf));
        SIZE extent{};
        TEXTMETRICA metrics{};
        {
            SelectGuard select(dc, font.get());
            if (!font || !GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent) ||
                !GetTextMetricsA(dc, &metrics))
                return font.release();
        }
        if (extent.cx <= size) return font.release();
        const LONG width = lf.lfWidth ? lf.lfWidth : metrics.tmAveCharWidth;
        lf.lfWidth = std::max<LONG>(1, width * size / extent.cx);
    }
    return CreateFontIndirectA(&lf);
}

// Gives the `size` x `size` picture `pixels` an alpha channel that says what `mask` says: a shell
// that draws with alpha then needs no mask (Wine's tray loses the mask of a picture whose side
// is no multiple of 16: it copies the rows without their padding).
void OpaqueWhereMasked(HDC dc, HBITMAP mask, DWORD* pixels, int size) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> transparent(static_cast<size_t>(size) * size);
    if (!GetDIBits(dc, mask, 0, size, transparent.data(), &bi, DIB_RGB_COLORS)) return;
    GdiFlush();
    for (size_t i = 0; i < transparent.size(); ++i)
        pixels[i] = (transparent[i] & 0xFFFFFF) ? 0 : (pixels[i] | 0xFF000000u);
}
}  // namespace

UniqueIcon TrayArt(HICON base, int size) {
    const int drawn = size <= 16 ? 16 : 32;
    return UniqueIcon(static_cast<HICON>(CopyImage(base, IMAGE_ICON, drawn, drawn, LR_COPYFROMRESOURCE)));
}

UniqueIcon DrawTrayPicture(HICON base, const std::string& text, COLORREF background, int size, HICON art) {
    if (!base || size <= 0) return UniqueIcon();
    WindowDc screen(nullptr);
    UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    UniqueGdi<HBITMAP> picture(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueGdi<HBITMAP> mask(CreateBitmap(size, size, 1, 1, nullptr));
    if (!memory || !picture || !mask) return UniqueIcon();
    // The artwork of the nearest size, drawn at this size.
    UniqueIcon loaded = art ? UniqueIcon() : TrayArt(base, size);
    HICON source = art ? art : loaded ? loaded.get() : base;
    {
        SelectGuard select(memory.get(), mask.get());
        PatBlt(memory.get(), 0, 0, size, size, WHITENESS);
        DrawIconEx(memory.get(), 0, 0, source, size, size, 0, nullptr, DI_MASK);
    }
    {
        SelectGuard select(memory.get(), picture.get());
        DrawIconEx(memory.get(), 0, 0, source, size, size, 0, nullptr, DI_NORMAL);
        const int rows = TrayTextRows(size);
        RECT top = {0, 0, size, rows};
        UniqueGdi<HBRUSH> brush(CreateSolidBrush(background));
        FillRect(memory.get(), &top, brush.get());
        UniqueGdi<HFONT> font(TrayFont(memory.get(), text, size));
        SelectGuard selectFont(memory.get(), font.get());
        SetTextColor(memory.get(), TrayTextColor(background));
        SetBkMode(memory.get(), TRANSPARENT);
        SetTextAlign(memory.get(), TA_CENTER | TA_BASELINE);
        TextOutA(memory.get(), size / 2, rows - 1, text.c_str(), static_cast<int>(text.size()));
    }
    OpaqueWhereMasked(memory.get(), mask.get(), static_cast<DWORD*>(bits), size);
    ICONINFO info{TRUE, 0, 0, mask.get(), picture.get()};
    return UniqueIcon(CreateIconIndirect(&info));
}
