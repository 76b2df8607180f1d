#include "ui/RoundedFrame.h"

#include "ui/Handles.h"
#include "ui/OffscreenBitmap.h"
#include "ui/Palette.h"

namespace {
const int kCorner = 15;
}  // namespace

void FillRounded(HDC dc, const RECT& r, COLORREF color) {
    UniqueGdi<HRGN> region(CreateRoundRectRgn(r.left, r.top, r.right, r.bottom, kCorner, kCorner));
    UniqueGdi<HBRUSH> brush(CreateSolidBrush(color));
    if (region && brush) FillRgn(dc, region.get(), brush.get());
}

RoundedFrameRegions RoundedFrameFor(int width, int height) {
    return {{10, 10, width - 6, height - 6}, {7, 7, width - 9, height - 9}, {8, 8, width - 8, height - 8}};
}

void DrawRoundedFrame(HDC dc, int width, int height) {
    RECT all{0, 0, width, height};
    UniqueGdi<HBRUSH> grey(CreateSolidBrush(RGB(215, 215, 215)));
    if (grey) FillRect(dc, &all, grey.get());
    RoundedFrameRegions r = RoundedFrameFor(width, height);
    FillRounded(dc, r.dark, kFrameGrey);
    FillRounded(dc, r.pale, RGB(230, 235, 225));
    FillRounded(dc, r.panel, kWhite);
}

void PaintRoundedFrame(HWND wnd) {
    PaintDc paint(wnd);
    RECT client{};
    GetClientRect(wnd, &client);
    OffscreenBitmap surface;
    if (surface.Create(paint.get(), client.right, client.bottom)) {
        DrawRoundedFrame(surface.Dc(), client.right, client.bottom);
        surface.CopyTo(paint.get());
    } else {
        DrawRoundedFrame(paint.get(), client.right, client.bottom);
    }
}
