#include "mainwnd/controls/GaugeGeometry.h"

#include <algorithm>
#include <cmath>

#include "ui/Palette.h"

namespace {
const double kPi = 3.14159265358979323846;
const double kSweep = kScaleStart - kScaleEnd;  // 270 degrees
}  // namespace

int GaugeRadius(int width, int height) { return 9 * std::max(width, height) / 21; }

POINT GaugeCentre(int width, int height) {
    return {width / 2, height / 2 + GaugeRadius(width, height) / 10};
}

POINT PointAt(POINT centre, double radius, double degrees) {
    double a = degrees * kPi / 180.0;
    return {centre.x + static_cast<LONG>(std::lround(radius * std::cos(a))),
            centre.y - static_cast<LONG>(std::lround(radius * std::sin(a)))};
}

double NeedleAngle(double value, double minimum, double maximum) {
    if (!(maximum > minimum)) return kScaleStart;
    double a = kScaleStart - kSweep * (value - minimum) / (maximum - minimum);
    if (std::isnan(a)) return kScaleStart;
    return std::min(std::max(a, kScaleEnd), kScaleStart);
}

double TickAngle(int index) { return kScaleStart - index * kSweep / (kTickCount - 1); }

LabelPlacement LabelPlacementFor(double a, int r) {
    if (a > 190) return {TA_LEFT | TA_BOTTOM, 0, r / 12};
    if (a > 170) return {TA_LEFT | TA_BASELINE, 0, r / 18};
    if (a > 135) return {TA_LEFT | TA_BASELINE, 0, r / 12};
    if (a > 100) return {TA_LEFT | TA_TOP, -r / 24, -r / 48};
    if (a > 80) return {TA_CENTER | TA_TOP, 0, 0};
    if (a > 45) return {TA_RIGHT | TA_BOTTOM, r / 18, r / 6};
    if (a > 10) return {TA_RIGHT | TA_BASELINE, 0, r / 12};
    if (a > -10) return {TA_RIGHT | TA_BASELINE, 0, r / 18};
    return {TA_RIGHT | TA_BOTTOM, 0, r / 12};
}

COLORREF GaugeTextColor(double value) { return value >= 75.0 ? RGB(255, 0, 0) : kTitleCyan; }

COLORREF RingArcColor(int k, int n) {
    int level = n > 0 ? 255 - k * 159 / n : 255;
    level = std::min(std::max(level, 0), 255);
    return RGB(level, level, 255);
}

COLORREF HubColor(int n, int r) {
    int span = 3 * (r / 20);
    int level = span > 0 ? 255 - n * 1020 / span : 255;
    level = std::min(std::max(level, 0), 255);
    return RGB(level, level, level);
}

std::array<POINT, 4> NeedleCorners(POINT centre, int r, double degrees) {
    return {PointAt(centre, 0.95 * r, degrees), PointAt(centre, r / 16, degrees + 90),
            PointAt(centre, r / 6, degrees + 180), PointAt(centre, r / 16, degrees - 90)};
}

bool NeedleLeftSideLit(double degrees) { return degrees <= 90.0; }

std::array<POINT, 102> ZoneBand(POINT centre, int r, int zone) {
    std::array<POINT, 102> points{};
    const double outer = r - r / 18;
    const double inner = 0.8 * r;
    const double first = kScaleStart - zone * kSweep / kZoneCount;
    const double step = kSweep / kZoneCount / 50;  // 1.08 degrees
    for (int i = 0; i < 51; ++i) {
        points[i] = PointAt(centre, outer, first - i * step);
        points[101 - i] = PointAt(centre, inner, first - i * step);
    }
    return points;
}
