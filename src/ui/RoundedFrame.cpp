#include "ui/RoundedFrame.h"

#include "ui/Handles.h"
#include "ui/OffscreenBitmap.h"
#include "ui/Palette.h"

namespace {
const int kCorner = 15;
}  // namespace

void FillRounded(HDC dc, const RECT& r, COLORREF color, int dpi) {
    const int corner = ScaleToDpi(kCorner, dpi);
    UniqueGdi<HRGN> region(CreateRoundRectRgn(r.left, r.top, r.right, r.bottom, corner, corner));
    UniqueGdi<HBRUSH> brush(CreateSolidBrush(color));
    if (region && brush) FillRgn(dc, region.get(), brush.get());
}

RoundedFrameRegions RoundedFrameFor(int width, int height, int dpi) {
    // Each region inset from the client's edges by a margin of 96 DPI.
    auto inset = [&](int left, int right) {
        const int l = ScaleToDpi(left, dpi), r = ScaleToDpi(right, dpi);
        return RECT{l, l, width - r, height - r};
    };
    return {inset(10, 6), inset(7, 9), inset(8, 8)};
}

void DrawRoundedFrame(HDC dc, int width, int height, int dpi) {
    RECT all{0, 0, width, height};
    UniqueGdi<HBRUSH> grey(CreateSolidBrush(RGB(215, 215, 215)));
    if (grey) FillRect(dc, &all, grey.get());
    RoundedFrameRegions r = RoundedFrameFor(width, height, dpi);
    FillRounded(dc, r.dark, kFrameGrey, dpi);
    FillRounded(dc, r.pale, RGB(230, 235, 225), dpi);
    FillRounded(dc, r.panel, kWhite, dpi);
}

void PaintRoundedFrame(HWND wnd, int dpi) {
    PaintDc paint(wnd);
    RECT client{};
    GetClientRect(wnd, &client);
    OffscreenBitmap surface;
    if (surface.Create(paint.get(), client.right, client.bottom)) {
        DrawRoundedFrame(surface.Dc(), client.right, client.bottom, dpi);
        surface.CopyTo(paint.get());
    } else {
        DrawRoundedFrame(paint.get(), client.right, client.bottom, dpi);
    }
}
