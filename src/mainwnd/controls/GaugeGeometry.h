// Geometry and colour decisions of the dial gauge, as plain values. Angles are
// degrees counted anticlockwise from three o'clock; screen y grows downwards.
#pragma once
#include <windows.h>

#include <array>

constexpr double kScaleStart = 225.0;  // lower left
constexpr double kScaleEnd = -45.0;    // lower right, reached clockwise
constexpr int kMajorDivisions = 10;
constexpr int kMinorSteps = 5;
constexpr int kTickCount = kMajorDivisions * kMinorSteps + 1;
constexpr int kZoneCount = 5;

// Dial radius for a client area: 9 x max(width, height) / 21.
int GaugeRadius(int width, int height);
// Dial centre: the middle of the client area, R / 10 lower.
POINT GaugeCentre(int width, int height);
// The point `radius` from `centre` at `degrees`, rounded to pixels.
POINT PointAt(POINT centre, double radius, double degrees);

// Needle angle for `value` on a minimum..maximum scale, held between -45 and 225.
double NeedleAngle(double value, double minimum, double maximum);
// Angle of tick `index` (0..50); every fifth is a major tick.
double TickAngle(int index);

struct LabelPlacement {
    UINT align;  // TA_* flags for SetTextAlign
    int dx;      // offset from the inner end of the major tick
    int dy;
};
// Alignment and offset of the scale label at a tick of `degrees`, radius `r`.
LabelPlacement LabelPlacementFor(double degrees, int r);

// Colour of the caption and value: red at 75 or more, cyan below.
COLORREF GaugeTextColor(double value);
// Colour of outer-ring arc k of n (n outermost and widest, 1 innermost).
COLORREF RingArcColor(int k, int n);
// Grey of the hub circle of radius n when the hub's radius is 3 x (r / 20) / 4.
COLORREF HubColor(int n, int r);

// The needle's corners: tip, left side, tail, right side.
std::array<POINT, 4> NeedleCorners(POINT centre, int r, double degrees);
// True when the left side (seen from the centre towards the tip) faces the light.
bool NeedleLeftSideLit(double degrees);

// The 102 corners of colour zone `zone` (0..4 from the start of the scale):
// 51 outer points, then 51 inner points back.
std::array<POINT, 102> ZoneBand(POINT centre, int r, int zone);
