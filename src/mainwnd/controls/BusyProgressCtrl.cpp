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
    const int gap = BarGap(gap_, Dpi());
    border_ = BarBorder(Dpi());
    segmentWidth_ = SegmentWidth(clientWidth_, count_, gap);
    segments_ = SegmentRects(count_, segmentWidth_, gap, clientHeight_);
    unlit_.Reset();
    lit_.Reset();
}

void BusyProgressCtrl::SetSegmentCount(int count) {
    count_ = count;
    Recompute();
    RedrawNow();
}

void BusyProgressCtrl::SetPosition(int position) {
    if (position == position_) return;
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
    unlit_.Reset();
    lit_.Reset();
    RedrawNow();
}

void BusyProgressCtrl::Reset() {
    if (mode_ == kProgressMode) SetPosition(0);
}

void BusyProgressCtrl::DrawStrip(HDC dc, COLORREF border, COLORREF fill) const {
    RECT all{0, 0, clientWidth_, clientHeight_};
    UniqueGdi<HBRUSH> background(CreateSolidBrush(colors_.background));
    if (background) FillRect(dc, &all, background.get());
    // Black is what shows between the segments.
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    // Inside the segment's rectangle at any width.
    UniqueGdi<HPEN> pen(CreatePen(PS_INSIDEFRAME, border_, border));
    UniqueGdi<HBRUSH> brush(CreateSolidBrush(fill));
    SelectGuard selectPen(dc, pen.get());
    SelectGuard selectBrush(dc, brush.get());
    for (const RECT& r : segments_) Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

bool BusyProgressCtrl::EnsureStrips() {
    if (unlit_ && lit_) return true;
    if (!unlit_.Create(nullptr, clientWidth_, clientHeight_) || !lit_.Create(nullptr, clientWidth_, clientHeight_))
        return false;
    DrawStrip(unlit_.Dc(), colors_.offBorder, colors_.offFill);
    DrawStrip(lit_.Dc(), colors_.onBorder, colors_.onFill);
    return true;
}

bool BusyProgressCtrl::Paint(HDC dc, const RECT&) {
    if (clientWidth_ <= 0 || clientHeight_ <= 0 || !EnsureStrips()) return false;
    unlit_.CopyTo(dc);
    BarFill fill{0.0, -1, 0};
    if (mode_ == kProgressMode) fill = ComputeBarFill(position_, minimum_, maximum_, count_, segmentWidth_);
    if (fill.last >= 0) {
        // Segments 0..last are the lit strip's; the gaps are black in both.
        const int right = segments_[fill.last].right;
        BitBlt(dc, 0, 0, right, clientHeight_, lit_.Dc(), 0, 0, SRCCOPY);
    }
    if (fill.partial != 0 && fill.last + 1 < static_cast<int>(segments_.size())) {
        RECT lit = PartialRect(segments_[fill.last + 1], fill.partial, border_);
        UniqueGdi<HBRUSH> onFill(CreateSolidBrush(colors_.onFill));
        if (onFill) FillRect(dc, &lit, onFill.get());
    }
    return true;
}

bool BusyProgressCtrl::OnControlMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT&) {
    switch (msg) {
    case kBarSetCount: SetSegmentCount(static_cast<int>(wp)); return true;
    case kBarSetPosition: SetPosition(static_cast<int>(wp)); return true;
    case kBarSetGap: SetGap(static_cast<int>(wp)); return true;
    case kBarSetRange: SetRange(static_cast<int>(wp), static_cast<int>(lp)); return true;
    case kBarSetMode: SetMode(static_cast<int>(wp)); return true;
    case WM_SIZE:
        Recompute();
        return false;
    case WM_SYSCOLORCHANGE:
        if (followSystem_) colors_.background = GetSysColor(COLOR_BTNFACE);
        unlit_.Reset();
        lit_.Reset();
        return false;
    default: return false;
    }
}
