#include <gtest/gtest.h>

#include "mainwnd/MainGeometry.h"
#include "mainwnd/ThresholdInput.h"

TEST(ThresholdInput, OutOfRangeIsCorrectedAndReported) {
    ThresholdCheck c = CheckThreshold("80");
    EXPECT_TRUE(c.outOfRange);
    EXPECT_EQ(c.correctedText, "75");
    c = CheckThreshold("0");
    EXPECT_TRUE(c.outOfRange);
    EXPECT_EQ(c.correctedText, "1");
    c = CheckThreshold("");
    EXPECT_TRUE(c.outOfRange);
    EXPECT_EQ(c.correctedText, "1");
}

TEST(ThresholdInput, InRangeIsNormalisedSilently) {
    ThresholdCheck c = CheckThreshold("007");
    EXPECT_FALSE(c.outOfRange);
    EXPECT_EQ(c.normalText, "7");
    EXPECT_EQ(c.correctedText, "7");
    EXPECT_FALSE(CheckThreshold("75").outOfRange);
    EXPECT_FALSE(CheckThreshold("1").outOfRange);
    EXPECT_TRUE(CheckThreshold("76").outOfRange);
}

TEST(MainGeometry, CompactIsTheTopHalfTruncated) {
    RECT c = CompactRectOf(RECT{100, 50, 700, 651});
    EXPECT_EQ(c.left, 100);
    EXPECT_EQ(c.top, 50);
    EXPECT_EQ(c.right, 700);
    EXPECT_EQ(c.bottom, 50 + 300);
    POINT o = CentredOrigin(1024, 768, 600, 301);
    EXPECT_EQ(o.x, 212);
    EXPECT_EQ(o.y, 233);
}

TEST(MainGeometry, PanelsOfBothSizesInPaintOrderAtEachDpi) {
    // Client sizes 600 x 640 (full) and 600 x 320 (compact) at 96 DPI, the same grown with the DPI;
    // a margin of m pixels at 96 DPI is m x dpi / 96, rounded.
    for (int dpi : {96, 144, 192}) {
        auto at = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
        SIZE full{at(600), at(640)}, compact{at(600), at(320)};
        auto panels = BackgroundPanels(false, full, compact, dpi);
        ASSERT_EQ(panels.size(), 2u);
        EXPECT_EQ(panels[0].color, RGB(85, 85, 85));
        EXPECT_EQ(panels[0].rect.left, at(10));
        EXPECT_EQ(panels[0].rect.bottom, at(320) - at(8));
        EXPECT_EQ(panels[1].color, RGB(0, 0, 0));
        EXPECT_EQ(panels[1].rect.right, at(600) - at(10));
        EXPECT_EQ(panels[1].rect.bottom, at(320) - at(10));

        panels = BackgroundPanels(true, full, compact, dpi);
        ASSERT_EQ(panels.size(), 4u);
        // The lower (white) panel is painted first so the upper one covers the seam.
        EXPECT_EQ(panels[0].color, RGB(50, 50, 50));
        EXPECT_EQ(panels[0].rect.top, at(640) / 2 + at(10));
        EXPECT_EQ(panels[0].rect.right, at(600) - at(6));
        EXPECT_EQ(panels[0].rect.bottom, at(640) - at(6));
        EXPECT_EQ(panels[1].color, RGB(255, 255, 255));
        EXPECT_EQ(panels[1].rect.top, at(640) / 2 + at(8));
        EXPECT_EQ(panels[1].rect.bottom, at(640) - at(8));
        EXPECT_EQ(panels[3].color, RGB(0, 0, 0));
        EXPECT_EQ(panels[3].rect.bottom, at(320) - at(10));
    }
    // At 96 DPI, in figures: the compact black panel ends 10 pixels short of the bottom.
    EXPECT_EQ(BackgroundPanels(false, {600, 640}, {600, 320}, 96)[1].rect.bottom, 310);
}
