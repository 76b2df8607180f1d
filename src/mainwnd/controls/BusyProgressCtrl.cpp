#include "mainwnd/controls/BusyProgressCtrl.h"

#include "mainwnd/controls/BarGeometry.h"

BusyProgressCtrl::BusyProgressCtrl(int segmentCount, int position)
    : count_(segmentCount),
      position_(position),
      colors_{GetSysColor(COLOR_BTNFACE), RGB(50, 90, 135), RGB(160, 190, 220), RGB(50, 90, 135),
              RGB(190, 220, 255)} {}

void BusyProgressCtrl::OnAttached() { Recompute(); }

void BusyProgressCtrl::Recompute() {
    RECT client{};
    if (Handle()) GetClientRect(Handle(), &client);
    clientWidth_ = client.right;
    clientHeight_ = client.bottom;
    segmentWidth_ = SegmentWidth(clientWidth_, count_, gap_);
}

void BusyProgressCtrl::SetSegmentCount(int count) {
    count_ = count;
    Recompute();
    RedrawNow();
}

void BusyProgressCtrl::SetPosition(int position) {
    position_ = position;
    RedrawNow();
}

void BusyProgressCtrl::SetGap(int gap) {
    gap_ = gap;
    Recompute();
    RedrawNow();
}

void BusyProgressCtrl::SetRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
}

void BusyProgressCtrl::SetMode(int mode) {
    // The busy animation is not built, so there is no timer to stop.
    mode_ = mode;
    RedrawNow();
}

void BusyProgressCtrl::SetColors(const BarColors& colors) {
    colors_ = colors;
    RedrawNow();
}

void BusyProgressCtrl::Reset() {
    if (mode_ == kProgressMode) SetPosition(0);
}

void BusyProgressCtrl::DrawSegments(HDC dc, int height) const {
    BarFill fill{0.0, -1, 0};
    if (mode_ == kProgressMode) fill = ComputeBarFill(position_, minimum_, maximum_, count_, segmentWidth_);
    std::vector<RECT> rects = SegmentRects(count_, segmentWidth_, gap_, height);

    UniqueGdi<HPEN> onPen(CreatePen(PS_SOLID, 1, colors_.onBorder));
    UniqueGdi<HPEN> offPen(CreatePen(PS_SOLID, 1, colors_.offBorder));
    UniqueGdi<HBRUSH> onBrush(CreateSolidBrush(colors_.onFill));
    UniqueGdi<HBRUSH> offBrush(CreateSolidBrush(colors_.offFill));
    if (!onPen || !offPen || !onBrush || !offBrush) return;
    DcStateGuard state(dc);  // puts the DC's own pen and brush back before ours are deleted
    for (int i = 0; i < static_cast<int>(rects.size()); ++i) {
        const RECT& r = rects[i];
        bool on = i <= fill.last;
        SelectObject(dc, on ? onPen.get() : offPen.get());
        SelectObject(dc, on ? onBrush.get() : offBrush.get());
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        if (i == fill.last + 1 && fill.partial != 0) {
            RECT lit = PartialRect(r, fill.partial);
            FillRect(dc, &lit, onBrush.get());
        }
    }
}

void BusyProgressCtrl::Paint(HDC target) {
    if (clientWidth_ <= 0 || clientHeight_ <= 0) return;
    if (!surface_.Matches(clientWidth_, clientHeight_) && !surface_.Create(nullptr, clientWidth_, clientHeight_))
        return;
    HDC dc = surface_.Dc();
    RECT all{0, 0, clientWidth_, clientHeight_};
    UniqueGdi<HBRUSH> background(CreateSolidBrush(colors_.background));
    if (background) FillRect(dc, &all, background.get());
    // Black is what shows between the segments.
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DrawSegments(dc, clientHeight_);
    surface_.CopyTo(target);
}

bool BusyProgressCtrl::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
    case kBarSetCount: SetSegmentCount(static_cast<int>(wp)); return true;
    case kBarSetPosition: SetPosition(static_cast<int>(wp)); return true;
    case kBarSetGap: SetGap(static_cast<int>(wp)); return true;
    case kBarSetRange: SetRange(static_cast<int>(wp), static_cast<int>(lp)); return true;
    case kBarSetMode: SetMode(static_cast<int>(wp)); return true;
    case WM_ERASEBKGND: result = 1; return true;
    case WM_PAINT: {
        PaintDc dc(Handle());
        Paint(dc.get());
        return true;
    }
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wp)); return true;
    case WM_SIZE:
        surface_.Reset();
        Recompute();
        return false;
    case WM_SYSCOLORCHANGE:
        if (followSystem_) colors_.background = GetSysColor(COLOR_BTNFACE);
        return false;
    default: return false;
    }
}
