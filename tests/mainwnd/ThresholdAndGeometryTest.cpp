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

TEST(MainGeometry, PanelsOfBothSizesInPaintOrder) {
    SIZE full{600, 640}, compact{600, 320};
    auto panels = BackgroundPanels(false, full, compact, 96);
    ASSERT_EQ(panels.size(), 2u);
    EXPECT_EQ(panels[0].color, RGB(85, 85, 85));
    EXPECT_EQ(panels[0].rect.left, 10);
    EXPECT_EQ(panels[0].rect.bottom, 312);
    EXPECT_EQ(panels[1].color, RGB(0, 0, 0));
    EXPECT_EQ(panels[1].rect.right, 590);
    EXPECT_EQ(panels[1].rect.bottom, 310);

    panels = BackgroundPanels(true, full, compact, 96);
    ASSERT_EQ(panels.size(), 4u);
    // The lower (white) panel is painted first so the upper one covers the seam.
    EXPECT_EQ(panels[0].color, RGB(50, 50, 50));
    EXPECT_EQ(panels[0].rect.top, 330);
    EXPECT_EQ(panels[0].rect.right, 594);
    EXPECT_EQ(panels[0].rect.bottom, 634);
    EXPECT_EQ(panels[1].color, RGB(255, 255, 255));
    EXPECT_EQ(panels[1].rect.top, 328);
    EXPECT_EQ(panels[1].rect.bottom, 632);
    EXPECT_EQ(panels[3].color, RGB(0, 0, 0));
    EXPECT_EQ(panels[3].rect.bottom, 310);

    // At 144 DPI the margins are half as wide again: (15, 15)-(W - 12, H - 12) for the dark edge.
    RECT edge = BackgroundPanels(false, {900, 960}, {900, 480}, 144)[0].rect;
    EXPECT_EQ(edge.left, 15);
    EXPECT_EQ(edge.top, 15);
    EXPECT_EQ(edge.right, 888);
    EXPECT_EQ(edge.bottom, 468);
}
