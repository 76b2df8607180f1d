#include <gtest/gtest.h>

#include "mainwnd/controls/BarGeometry.h"
#include "mainwnd/controls/BusyProgressCtrl.h"
#include "ui/ControlTestHost.h"

namespace {
const BarColors kMemoryBar{RGB(0, 64, 0), RGB(0, 64, 0), RGB(0, 64, 0), RGB(0, 255, 0), RGB(0, 255, 0)};
const BarColors kDistinct{RGB(9, 9, 9), RGB(0, 0, 200), RGB(0, 64, 0), RGB(200, 0, 0), RGB(0, 255, 0)};

TEST(BarFill, HalfOf1024LightsSixteenWholeSegments) {
    BarFill f = ComputeBarFill(512, 0, 1024, 32, 5.25);
    EXPECT_DOUBLE_EQ(f.filled, 16.0);
    EXPECT_EQ(f.last, 15);
    EXPECT_EQ(f.partial, 0);
}

TEST(BarFill, FiveHundredOf1024LightsFifteenAndFiveEighthsOfTheNext) {
    BarFill f = ComputeBarFill(500, 0, 1024, 32, 8.0);
    EXPECT_DOUBLE_EQ(f.filled, 15.625);
    EXPECT_EQ(f.last, 14);
    EXPECT_EQ(f.partial, 5);  // 0.625 x 8
}

TEST(BarFill, PositionsOffTheRangeLightNothingOrEverything) {
    BarFill above = ComputeBarFill(5000, 0, 1024, 32, 5.0);
    EXPECT_EQ(above.last, 31);
    EXPECT_EQ(above.partial, 0);
    BarFill below = ComputeBarFill(-20, 0, 1024, 32, 5.0);
    EXPECT_EQ(below.last, -1);
    EXPECT_EQ(below.partial, 0);
    BarFill empty = ComputeBarFill(10, 50, 50, 32, 5.0);
    EXPECT_EQ(empty.last, -1);
    EXPECT_EQ(empty.partial, 0);
    BarFill none = ComputeBarFill(10, 0, 100, 0, 5.0);
    EXPECT_EQ(none.last, -1);
}

TEST(BarGeometry, SegmentsWalkInFloatingPointAndTruncateEachEdge) {
    double w = SegmentWidth(200, 32, 1);
    EXPECT_DOUBLE_EQ(w, 5.25);
    std::vector<RECT> r = SegmentRects(32, w, 1, 20);
    ASSERT_EQ(r.size(), 32u);
    EXPECT_EQ(r[0].left, 0);
    EXPECT_EQ(r[0].right, 5);
    EXPECT_EQ(r[1].left, 6);    // 6.25
    EXPECT_EQ(r[1].right, 11);  // 11.5
    EXPECT_EQ(r[31].left, 193);   // 31 x 6.25 = 193.75
    EXPECT_EQ(r[31].right, 199);  // the last gap is at the right edge
    for (size_t i = 1; i < r.size(); ++i) EXPECT_GT(r[i].left, r[i - 1].right - 1) << i;
    EXPECT_TRUE(SegmentRects(0, 5.0, 1, 20).empty());
    EXPECT_DOUBLE_EQ(SegmentWidth(200, 0, 1), 0.0);
}

TEST(BarGeometry, GapBorderAndPartialBarFollowTheDpi) {
    // A bar 200 pixels wide at 96 DPI with 32 segments; a segment 10..18 lit for 3 (or 50) pixels.
    struct Case {
        int dpi, line;  // gap and border
        double segmentWidth;
        RECT partial, full;
    } cases[] = {
        {96, 1, 5.25, {11, 1, 14, 19}, {11, 1, 17, 19}},
        {144, 2, 7.375, {12, 2, 15, 18}, {12, 2, 16, 18}},
        {192, 2, 10.5, {12, 2, 15, 18}, {12, 2, 16, 18}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BarGap(1, c.dpi), c.line) << c.dpi;
        EXPECT_EQ(BarGap(0, c.dpi), 0) << c.dpi;
        EXPECT_EQ(BarBorder(c.dpi), c.line) << c.dpi;
        EXPECT_DOUBLE_EQ(SegmentWidth(MulDiv(200, c.dpi, 96), 32, c.line), c.segmentWidth) << c.dpi;
        RECT p = PartialRect({10, 0, 18, 20}, 3, c.line), q = PartialRect({10, 0, 18, 20}, 50, c.line);
        EXPECT_TRUE(EqualRect(&p, &c.partial)) << c.dpi;
        EXPECT_TRUE(EqualRect(&q, &c.full)) << c.dpi;
        RECT none = PartialRect({10, 0, 18, 20}, 0, c.line);
        EXPECT_EQ(none.right, none.left) << c.dpi;
    }
}

class BarPixels : public ::testing::Test {
protected:
    // 32 segments on 264 pixels: each 7.25 wide, 8.25 apart.
    static constexpr int kWidth = 264, kHeight = 16;
    testhost::Host host{kWidth, kHeight};
    HWND stat = host.AddChild("Static", "", 0, {0, 0, kWidth, kHeight}, 1012);
    BusyProgressCtrl bar{32, 0};
    testhost::Canvas canvas{kWidth, kHeight};

    void SetUp() override {
        ASSERT_TRUE(bar.Attach(stat));
        bar.SetMode(BusyProgressCtrl::kProgressMode);
        bar.SetRange(0, 1024);
        bar.SetColors(kDistinct);
    }
    // Segment i worked out in quarters of a pixel, apart from the bar's own geometry: it starts
    // at 8.25 x i and is 7.25 wide, each edge truncated (segment 15: 123.75 to 131 gives the
    // rectangle 123..131, whose right edge is not drawn).
    RECT Segment(int i) const { return {33 * i / 4, 0, (33 * i + 29) / 4, kHeight}; }
    COLORREF Middle(int i) const {
        RECT r = Segment(i);
        return canvas.Pixel((r.left + r.right) / 2, kHeight / 2);
    }
};

TEST_F(BarPixels, SegmentsUpToThePositionAreOnAndTheRestOff) {
    bar.SetPosition(512);
    canvas.Render(stat);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(Middle(i), i <= 15 ? kDistinct.onFill : kDistinct.offFill) << i;
    // Segment 15 covers x 123..130, segment 16 (132 to 139.25) x 132..138.
    EXPECT_EQ(canvas.Pixel(123, 0), kDistinct.onBorder);
    EXPECT_EQ(canvas.Pixel(132, 0), kDistinct.offBorder);
    EXPECT_EQ(canvas.Pixel(133, kHeight / 2), kDistinct.offFill);  // no partial bar
    EXPECT_EQ(canvas.Pixel(131, kHeight / 2), RGB(0, 0, 0));       // the gap shows black
}

TEST_F(BarPixels, PartialSegmentIsLitForItsComputedWidth) {
    bar.SetPosition(500);
    canvas.Render(stat);
    BarFill f = ComputeBarFill(500, 0, 1024, 32, SegmentWidth(kWidth, 32, 1));
    ASSERT_EQ(f.partial, 4);  // 0.625 x 7.25
    // 500 of 1024 is 15.625 segments: segment 15 (x 123..130) is lit for 4 pixels inside its
    // border, x 124..127.
    EXPECT_EQ(Middle(14), kDistinct.onFill);
    EXPECT_EQ(canvas.Pixel(123, kHeight / 2), kDistinct.offBorder);
    EXPECT_EQ(canvas.Pixel(124, kHeight / 2), kDistinct.onFill);
    EXPECT_EQ(canvas.Pixel(127, kHeight / 2), kDistinct.onFill);
    EXPECT_EQ(canvas.Pixel(128, kHeight / 2), kDistinct.offFill);
    EXPECT_EQ(canvas.Count(kDistinct.onFill, {123, 0, 131, kHeight}), 4 * (kHeight - 2));
}

TEST_F(BarPixels, At192DpiBordersAndGapsAreTwoPixelsWide) {
    // The same bar in twice the pixels: 32 segments 14.5 wide, 16.5 apart; segment 0 is x 0..13,
    // segment 1 starts at 16.
    MoveWindow(stat, 0, 0, 2 * kWidth, kHeight, FALSE);
    bar.SetDpi(192);
    testhost::Canvas wide(2 * kWidth, kHeight);
    wide.Render(stat);
    const COLORREF border = kDistinct.offBorder, fill = kDistinct.offFill, gap = RGB(0, 0, 0);
    const COLORREF across[17] = {border, border, fill, fill, fill, fill, fill, fill, fill,
                                 fill,   fill,   fill, border, border, gap, gap, border};
    for (int x = 0; x < 17; ++x) EXPECT_EQ(wide.Pixel(x, kHeight / 2), across[x]) << x;
    EXPECT_EQ(wide.Pixel(7, 1), border);
    EXPECT_EQ(wide.Pixel(7, 2), fill);
}

TEST_F(BarPixels, MessagesDriveTheSameOperations) {
    bar.SetColors(kMemoryBar);
    SendMessageA(stat, kBarSetCount, 16, 0);
    SendMessageA(stat, kBarSetRange, 0, 224);
    SendMessageA(stat, kBarSetPosition, 112, 0);
    EXPECT_EQ(bar.SegmentCount(), 16);
    EXPECT_EQ(bar.Maximum(), 224);
    EXPECT_EQ(bar.Position(), 112);
    canvas.Render(stat);
    // 16 segments 15.5 wide, 16.5 apart: segment 7 is x 115..130, segment 8 x 132..146.
    EXPECT_EQ(canvas.Pixel(123, 8), RGB(0, 255, 0));
    EXPECT_EQ(canvas.Pixel(139, 8), RGB(0, 64, 0));

    bar.Reset();
    EXPECT_EQ(bar.Position(), 0);
    SendMessageA(stat, kBarSetMode, BusyProgressCtrl::kBusyMode, 0);
    SendMessageA(stat, kBarSetPosition, 50, 0);
    bar.Reset();  // only a progress bar goes back to 0
    EXPECT_EQ(bar.Position(), 50);
}

}  // namespace
