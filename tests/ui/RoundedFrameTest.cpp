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

// A 300 x 200 dialog at each DPI: its regions, and the runs of grey, pale edge and dark edge
// met from the left (or top) edge and towards the right (or bottom) one.
struct FrameAtDpi {
    int dpi;
    RECT dark, pale, panel;
    int grey, paleEdge, darkEdge;
};
const FrameAtDpi kFrames[] = {
    {96, {10, 10, 294, 194}, {7, 7, 291, 191}, {8, 8, 292, 192}, 7, 1, 2},
    {144, {15, 15, 291, 191}, {11, 11, 286, 186}, {12, 12, 288, 188}, 11, 1, 3},
    {192, {20, 20, 288, 188}, {14, 14, 282, 182}, {16, 16, 284, 184}, 14, 2, 4},
};

TEST(RoundedFrame, RegionsOfA300By200DialogGrowWithTheDpi) {
    for (const FrameAtDpi& f : kFrames) {
        RoundedFrameRegions r = RoundedFrameFor(300, 200, f.dpi);
        EXPECT_TRUE(Same(r.dark, f.dark)) << f.dpi;
        EXPECT_TRUE(Same(r.pale, f.pale)) << f.dpi;
        EXPECT_TRUE(Same(r.panel, f.panel)) << f.dpi;
    }
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
    for (const FrameAtDpi& f : kFrames) {
        SCOPED_TRACE(f.dpi);
        testhost::Canvas canvas(300, 200);
        DrawRoundedFrame(canvas.Dc(), 300, 200, f.dpi);
        // Across the middle row and down the middle column: grey, the pale edge, white, the
        // dark edge, grey.
        auto row = Runs(canvas, 0, 100, 1, 0, 300);
        ASSERT_EQ(row.size(), 5u);
        EXPECT_EQ(row[0], ColorRun(kGrey, f.grey));
        EXPECT_EQ(row[1], ColorRun(kPale, f.paleEdge));
        EXPECT_EQ(row[2].first, kWhite);
        EXPECT_EQ(row[3], ColorRun(kDark, f.darkEdge));
        EXPECT_EQ(row[4].first, kGrey);
        auto column = Runs(canvas, 150, 0, 0, 1, 200);
        ASSERT_EQ(column.size(), 5u);
        EXPECT_EQ(column[0], ColorRun(kGrey, f.grey));
        EXPECT_EQ(column[1], ColorRun(kPale, f.paleEdge));
        EXPECT_EQ(column[3], ColorRun(kDark, f.darkEdge));
        // Rounded corners: the panel's corner pixel is not white.
        const int first = f.panel.left;
        EXPECT_NE(canvas.Pixel(first, first), kWhite);
        const int lastX = first + row[2].second - 1, lastY = first + column[2].second - 1;
        EXPECT_EQ(canvas.Pixel(lastX, 100), kWhite);
        EXPECT_NE(canvas.Pixel(lastX, lastY), kWhite);
    }
}
}  // namespace
