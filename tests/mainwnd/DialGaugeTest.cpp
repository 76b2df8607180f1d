#include <gtest/gtest.h>

#include <cmath>

#include "mainwnd/controls/DialGauge.h"
#include "mainwnd/controls/GaugeGeometry.h"
#include "ui/ControlTestHost.h"

namespace {
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kCyan = RGB(19, 238, 255);

TEST(GaugeGeometry, NeedleAngleRunsClockwiseAndStopsAtTheScaleEnds) {
    EXPECT_DOUBLE_EQ(NeedleAngle(0, 0, 100), 225.0);
    EXPECT_DOUBLE_EQ(NeedleAngle(50, 0, 100), 90.0);
    EXPECT_DOUBLE_EQ(NeedleAngle(100, 0, 100), -45.0);
    EXPECT_DOUBLE_EQ(NeedleAngle(150, 0, 100), -45.0);
    EXPECT_DOUBLE_EQ(NeedleAngle(-20, 0, 100), 225.0);
    EXPECT_DOUBLE_EQ(NeedleAngle(5, 10, 10), 225.0);  // empty scale
    EXPECT_DOUBLE_EQ(NeedleAngle(std::nan(""), 0, 100), 225.0);
}

TEST(GaugeGeometry, ValueTextTurnsRedAt75) {
    EXPECT_EQ(GaugeTextColor(80.0), kRed);
    EXPECT_EQ(GaugeTextColor(75.0), kRed);
    EXPECT_EQ(GaugeTextColor(74.9), kCyan);
    EXPECT_EQ(GaugeTextColor(0.0), kCyan);
}

TEST(GaugeGeometry, RadiusAndCentreFollowTheLargerSide) {
    EXPECT_EQ(GaugeRadius(210, 210), 90);
    EXPECT_EQ(GaugeCentre(210, 210).x, 105);
    EXPECT_EQ(GaugeCentre(210, 210).y, 114);
    EXPECT_EQ(GaugeRadius(100, 50), 42);
    EXPECT_EQ(GaugeCentre(100, 50).y, 29);
}

TEST(GaugeGeometry, LabelAlignmentByTickAngle) {
    const int r = 144;
    struct Case {
        double angle;
        UINT align;
        int dx, dy;
    } cases[] = {
        {225, TA_LEFT | TA_BOTTOM, 0, 12},     {190.5, TA_LEFT | TA_BOTTOM, 0, 12},
        {190, TA_LEFT | TA_BASELINE, 0, 8},    {171, TA_LEFT | TA_BASELINE, 0, 8},
        {170, TA_LEFT | TA_BASELINE, 0, 12},   {144, TA_LEFT | TA_BASELINE, 0, 12},
        {117, TA_LEFT | TA_TOP, -6, -3},       {100, TA_CENTER | TA_TOP, 0, 0},
        {90, TA_CENTER | TA_TOP, 0, 0},        {80, TA_RIGHT | TA_BOTTOM, 8, 24},
        {63, TA_RIGHT | TA_BOTTOM, 8, 24},     {36, TA_RIGHT | TA_BASELINE, 0, 12},
        {10, TA_RIGHT | TA_BASELINE, 0, 8},    {-9.9, TA_RIGHT | TA_BASELINE, 0, 8},
        {-10, TA_RIGHT | TA_BOTTOM, 0, 12},    {-45, TA_RIGHT | TA_BOTTOM, 0, 12},
    };
    for (const Case& c : cases) {
        LabelPlacement p = LabelPlacementFor(c.angle, r);
        EXPECT_EQ(p.align, c.align) << c.angle;
        EXPECT_EQ(p.dx, c.dx) << c.angle;
        EXPECT_EQ(p.dy, c.dy) << c.angle;
    }
}

TEST(GaugeGeometry, TicksZonesAndShadesCoverTheScale) {
    EXPECT_DOUBLE_EQ(TickAngle(0), 225.0);
    EXPECT_DOUBLE_EQ(TickAngle(5), 198.0);
    EXPECT_DOUBLE_EQ(TickAngle(50), -45.0);
    POINT c{100, 100};
    std::array<POINT, 102> band = ZoneBand(c, 90, 2);  // 117 .. 63 degrees
    POINT outerStart = PointAt(c, 85, 117), outerEnd = PointAt(c, 85, 63), innerStart = PointAt(c, 72, 117);
    EXPECT_EQ(band[0].x, outerStart.x);
    EXPECT_EQ(band[0].y, outerStart.y);
    EXPECT_EQ(band[50].x, outerEnd.x);
    EXPECT_EQ(band[101].x, innerStart.x);
    EXPECT_EQ(band[101].y, innerStart.y);
    EXPECT_EQ(RingArcColor(5, 5), RGB(96, 96, 255));
    EXPECT_EQ(RingArcColor(1, 5), RGB(224, 224, 255));
    EXPECT_EQ(HubColor(3, 90), RGB(0, 0, 0));  // rim of a hub of radius 3 x 4 / 4
    EXPECT_EQ(HubColor(1, 90), RGB(170, 170, 170));
}

class GaugePixels : public ::testing::Test {
protected:
    static constexpr int kSize = 210;  // R = 90, centre (105, 114)
    testhost::Host host{kSize, kSize};
    HWND stat = host.AddChild("Static", "", 0, {0, 0, kSize, kSize}, 1152);
    DialGauge gauge;
    testhost::Canvas canvas{kSize, kSize};
    const POINT centre = GaugeCentre(kSize, kSize);
    const int r = GaugeRadius(kSize, kSize);

    void SetUp() override { ASSERT_TRUE(gauge.Attach(stat)); }
    COLORREF At(double radius, double degrees) const {
        POINT p = PointAt(centre, radius, degrees);
        return canvas.Pixel(p.x, p.y);
    }
    int CountNear(COLORREF color, double radius, double degrees) const {
        POINT p = PointAt(centre, radius, degrees);
        return canvas.Count(color, {p.x - 1, p.y - 1, p.x + 2, p.y + 2});
    }
    // The line of the value text, middle half.
    RECT ValueLine() const {
        int top = centre.y + static_cast<int>(0.35 * r) + r / 5;
        return {centre.x - r / 4, top, centre.x + r / 4, top + r / 5 + 2};
    }
};

TEST_F(GaugePixels, NeedleLiesAlongItsAngle) {
    gauge.SetValue(50.0);
    canvas.Render(stat);
    for (double k : {0.3, 0.5, 0.6}) EXPECT_EQ(At(k * r, 90), kRed) << k;
    EXPECT_NE(At(0.5 * r, 0), kRed);

    gauge.SetValue(150.0);
    canvas.Render(stat);
    for (double k : {0.3, 0.5}) EXPECT_EQ(At(k * r, -45), kRed) << k;
    EXPECT_NE(At(0.5 * r, 90), kRed);
}

TEST_F(GaugePixels, ValueTextIsRedFrom75AndCyanBelow) {
    gauge.SetValue(80.0);
    canvas.Render(stat);
    EXPECT_GT(canvas.Count(kRed, ValueLine()), 10);
    EXPECT_EQ(canvas.Count(kCyan, ValueLine()), 0);

    gauge.SetValue(74.9);
    canvas.Render(stat);
    EXPECT_GT(canvas.Count(kCyan, ValueLine()), 10);
    EXPECT_EQ(canvas.Count(kRed, ValueLine()), 0);
}

TEST_F(GaugePixels, ZonesAppearOnlyWhenTurnedOnAndTheFaceIsRebuilt) {
    gauge.SetValue(0.0);
    const double between = 0.5 * (0.8 * r + r - r / 18);  // inside the zone band, clear of the yellow arc
    canvas.Render(stat);
    EXPECT_EQ(At(between, 222.3), RGB(0, 0, 0));
    EXPECT_GT(CountNear(RGB(255, 255, 0), 0.8 * r, 150), 0);  // the thin yellow arc
    gauge.SetZones(true);
    canvas.Render(stat);
    EXPECT_EQ(At(between, 222.3), RGB(0, 255, 0));    // first fifth of the scale
    EXPECT_EQ(At(between, 87.3), RGB(255, 183, 34));  // middle fifth
    EXPECT_EQ(At(between, -42.3), RGB(255, 0, 0));    // last fifth
}

TEST_F(GaugePixels, StrokesGrowWithTheDpiAndTheFaceIsRedrawn) {
    // The thin yellow arc where nothing else is drawn: twice as wide at 192 DPI.
    const POINT p = PointAt(centre, 0.8 * r, 160);
    const RECT around{p.x - 6, p.y - 6, p.x + 7, p.y + 7};
    canvas.Render(stat);
    const int at96 = canvas.Count(RGB(255, 255, 0), around);
    EXPECT_GT(at96, 0);
    gauge.SetDpi(192);
    canvas.Render(stat);
    EXPECT_GE(canvas.Count(RGB(255, 255, 0), around), at96 * 3 / 2);
}

TEST_F(GaugePixels, HubIsWhiteInTheMiddle) {
    gauge.SetValue(50.0);
    canvas.Render(stat);
    EXPECT_EQ(canvas.Pixel(centre.x, centre.y), HubColor(1, r));
}
}  // namespace
