#include "mainwnd/controls/DialGauge.h"

#include <cstdio>
#include <cstring>

#include "mainwnd/controls/GaugeGeometry.h"
#include "ui/Palette.h"

namespace {
const COLORREF kZoneColors[kZoneCount] = {kLitGreen, kYellow, RGB(255, 183, 34), RGB(255, 92, 93), RGB(255, 0, 0)};

HPEN FlatPen(int width, COLORREF color) {
    LOGBRUSH brush{BS_SOLID, color, 0};
    return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, width, &brush, 0, nullptr);
}

HFONT ArialFont(int height) {
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
}

// The scale's 270 degrees, drawn anticlockwise from its end to its start.
void ScaleArc(HDC dc, POINT c, int radius) {
    POINT from = PointAt(c, radius, kScaleEnd), to = PointAt(c, radius, kScaleStart);
    Arc(dc, c.x - radius, c.y - radius, c.x + radius, c.y + radius, from.x, from.y, to.x, to.y);
}

void Line(HDC dc, POINT a, POINT b) {
    MoveToEx(dc, a.x, a.y, nullptr);
    LineTo(dc, b.x, b.y);
}
}  // namespace

DialGauge::DialGauge() = default;

void DialGauge::SetValue(double value) {
    if (value == value_) return;
    value_ = value;
    RedrawNow();
}

void DialGauge::SetZones(bool on) {
    zones_ = on;
    DropFace();
    RedrawNow();
}

void DialGauge::DropFace() {
    face_.Reset();
    needleClip_.reset();
}

bool DialGauge::EnsureFace(int width, int height) {
    if (face_.Matches(width, height)) return true;
    DropFace();
    if (!face_.Create(nullptr, width, height)) return false;
    radius_ = GaugeRadius(width, height);
    centre_ = GaugeCentre(width, height);
    MakeTools();
    HDC dc = face_.Dc();
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DrawRing(dc);
    {
        UniqueGdi<HPEN> yellow(CreatePen(PS_SOLID, LineWidth(1, Dpi()), kYellow));
        SelectGuard pen(dc, yellow.get());
        ScaleArc(dc, centre_, static_cast<int>(0.8 * radius_));
    }
    if (zones_) DrawZones(dc);
    DrawTicks(dc);
    DrawLabels(dc);
    return true;
}

void DialGauge::MakeTools() {
    textFont_.reset(ArialFont(radius_ / 5));
    // Strokes are drawn for 96 DPI; the fonts and the rest follow the dial's size.
    const int line = LineWidth(1, Dpi());
    needlePen_.reset(CreatePen(PS_SOLID, line, needleColor_));
    needleBrush_.reset(CreateSolidBrush(needleColor_));
    shadowPen_.reset(CreatePen(PS_SOLID, LineWidth(2, Dpi()), GetSysColor(COLOR_3DSHADOW)));
    lightPen_.reset(CreatePen(PS_SOLID, line, GetSysColor(COLOR_3DHILIGHT)));
    hubPens_.clear();
    hubBrushes_.clear();
    const int rim = 3 * (radius_ / 20) / 4;
    for (int n = 1; n <= rim; ++n) {
        hubPens_.emplace_back(CreatePen(PS_SOLID, 1, HubColor(n, radius_)));
        hubBrushes_.emplace_back(CreateSolidBrush(HubColor(n, radius_)));
    }
}

void DialGauge::DrawRing(HDC dc) const {
    // Wide pens first, all on one radius: the ring shades from blue at its edge to white in its middle.
    const int n = radius_ / 18;
    for (int k = n; k >= 1; --k) {
        UniqueGdi<HPEN> pen(FlatPen(2 * k, RingArcColor(k, n)));
        SelectGuard select(dc, pen.get());
        ScaleArc(dc, centre_, radius_ - n);
    }
}

void DialGauge::DrawZones(HDC dc) const {
    for (int z = 0; z < kZoneCount; ++z) {
        UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, 1, kZoneColors[z]));
        UniqueGdi<HBRUSH> brush(CreateSolidBrush(kZoneColors[z]));
        SelectGuard selectPen(dc, pen.get());
        SelectGuard selectBrush(dc, brush.get());
        std::array<POINT, 102> band = ZoneBand(centre_, radius_, z);
        Polygon(dc, band.data(), static_cast<int>(band.size()));
    }
}

void DialGauge::DrawTicks(HDC dc) {
    const double outer = radius_ - 2 * (radius_ / 18);
    const double major = 0.8 * radius_;
    const double minor = (major + outer) / 2;
    UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, LineWidth(1, Dpi()), kDarkGrey));
    SelectGuard select(dc, pen.get());
    POINT ends[kTickCount];
    for (int i = 0; i < kTickCount; ++i) {
        double a = TickAngle(i);
        ends[i] = PointAt(centre_, outer, a);
        Line(dc, ends[i], PointAt(centre_, i % kMinorSteps == 0 ? major : minor, a));
    }
    needleClip_.reset(CreatePolygonRgn(ends, kTickCount, WINDING));
}

void DialGauge::DrawLabels(HDC dc) const {
    UniqueGdi<HFONT> font(ArialFont(radius_ / 6));
    DcStateGuard state(dc);
    SelectObject(dc, font.get());
    SetTextColor(dc, kWhite);
    SetBkMode(dc, TRANSPARENT);
    for (int k = 0; k <= kMajorDivisions; ++k) {
        char text[64];
        std::snprintf(text, sizeof text, "%.*lf", labelPrecision_, minimum_ + (maximum_ - minimum_) * k / 10);
        double a = TickAngle(k * kMinorSteps);
        POINT at = PointAt(centre_, 0.8 * radius_, a);
        LabelPlacement place = LabelPlacementFor(a, radius_);
        SetTextAlign(dc, place.align);
        TextOutA(dc, at.x + place.dx, at.y + place.dy, text, static_cast<int>(std::strlen(text)));
    }
}

void DialGauge::DrawNeedle(HDC dc) const {
    const double angle = NeedleAngle(value_, minimum_, maximum_);
    std::array<POINT, 4> p = NeedleCorners(centre_, radius_, angle);
    DcStateGuard state(dc);
    if (needleClip_) SelectClipRgn(dc, needleClip_.get());
    SelectObject(dc, needlePen_.get());
    SelectObject(dc, needleBrush_.get());
    Polygon(dc, p.data(), 4);
    const POINT leftSide[3] = {p[0], p[1], p[2]};
    const POINT rightSide[3] = {p[0], p[3], p[2]};
    const bool leftLit = NeedleLeftSideLit(angle);
    SelectObject(dc, shadowPen_.get());
    Polyline(dc, leftLit ? rightSide : leftSide, 3);
    SelectObject(dc, lightPen_.get());
    Polyline(dc, leftLit ? leftSide : rightSide, 3);
}

void DialGauge::DrawHub(HDC dc) const {
    // Concentric circles from the rim in: black at the rim, white at the centre.
    DcStateGuard state(dc);
    for (int n = static_cast<int>(hubPens_.size()); n >= 1; --n) {
        SelectObject(dc, hubPens_[n - 1].get());
        SelectObject(dc, hubBrushes_[n - 1].get());
        Ellipse(dc, centre_.x - n, centre_.y - n, centre_.x + n + 1, centre_.y + n + 1);
    }
}

void DialGauge::DrawTexts(HDC dc) const {
    char value[64];
    std::snprintf(value, sizeof value, "%.*lf%%", valuePrecision_, value_);
    const int height = radius_ / 5;
    const int y = centre_.y + static_cast<int>(0.35 * radius_);
    DcStateGuard state(dc);
    if (textFont_) SelectObject(dc, textFont_.get());
    SetTextColor(dc, GaugeTextColor(value_));
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    TextOutA(dc, centre_.x, y, caption_.c_str(), static_cast<int>(caption_.size()));
    TextOutA(dc, centre_.x, y + height, value, static_cast<int>(std::strlen(value)));
}

bool DialGauge::Paint(HDC dc, const RECT& client) {
    if (!EnsureFace(client.right, client.bottom)) return false;
    face_.CopyTo(dc);
    DrawNeedle(dc);
    DrawHub(dc);
    DrawTexts(dc);
    return true;
}

bool DialGauge::OnControlMessage(UINT msg, WPARAM, LPARAM, LRESULT&) {
    switch (msg) {
    case WM_SIZE:
    case WM_SYSCOLORCHANGE:
        DropFace();
        return false;
    default: return false;
    }
}
