#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ui/ControlTestHost.h"
#include "ui/RoundedFrame.h"

namespace {
const COLORREF kGrey = RGB(215, 215, 215);
const COLORREF kDark = RGB(50, 50, 50);
const COLORREF kPale = RGB(230, 235, 225);
const COLORREF kWhite = RGB(255, 255, 255);

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(RoundedFrame, RegionsOfA300By200Dialog) {
    RoundedFrameRegions r = RoundedFrameFor(300, 200);
    EXPECT_TRUE(Same(r.dark, {10, 10, 294, 194}));
    EXPECT_TRUE(Same(r.pale, {7, 7, 291, 191}));
    EXPECT_TRUE(Same(r.panel, {8, 8, 292, 192}));
}

// Lengths of the runs of colour met along a line of pixels, in order.
std::vector<std::pair<COLORREF, int>> Runs(const testhost::Canvas& c, int x, int y, int dx, int dy, int steps) {
    std::vector<std::pair<COLORREF, int>> runs;
    for (int i = 0; i < steps; ++i, x += dx, y += dy) {
        COLORREF p = c.Pixel(x, y);
        if (runs.empty() || runs.back().first != p) runs.push_back({p, 0});
        ++runs.back().second;
    }
    return runs;
}

using ColorRun = std::pair<COLORREF, int>;

TEST(RoundedFrame, WhitePanelWithPaleTopLeftAndDarkBottomRightEdges) {
    testhost::Canvas canvas(300, 200);
    DrawRoundedFrame(canvas.Dc(), 300, 200);
    // Across the middle row and down the middle column: grey, one pale pixel,
    // white, two dark pixels, grey.
    auto row = Runs(canvas, 0, 100, 1, 0, 300);
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(row[0], ColorRun(kGrey, 7));
    EXPECT_EQ(row[1], ColorRun(kPale, 1));
    EXPECT_EQ(row[2].first, kWhite);
    EXPECT_EQ(row[3], ColorRun(kDark, 2));
    EXPECT_EQ(row[4].first, kGrey);
    auto column = Runs(canvas, 150, 0, 0, 1, 200);
    ASSERT_EQ(column.size(), 5u);
    EXPECT_EQ(column[0], ColorRun(kGrey, 7));
    EXPECT_EQ(column[1], ColorRun(kPale, 1));
    EXPECT_EQ(column[3], ColorRun(kDark, 2));
    // Rounded corners: the panel's corner pixel is not white.
    EXPECT_NE(canvas.Pixel(8, 8), kWhite);
    const int lastX = 8 + row[2].second - 1, lastY = 8 + column[2].second - 1;
    EXPECT_EQ(canvas.Pixel(lastX, 100), kWhite);
    EXPECT_NE(canvas.Pixel(lastX, lastY), kWhite);
}
}  // namespace
