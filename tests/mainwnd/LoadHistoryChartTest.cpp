#include <gtest/gtest.h>

#include "mainwnd/controls/ChartGeometry.h"
#include "mainwnd/controls/ChartSeries.h"
#include "mainwnd/controls/LoadHistoryChart.h"
#include "ui/ControlTestHost.h"

namespace {
const COLORREF kPen = RGB(255, 249, 100);
const COLORREF kGrid = RGB(0, 128, 0);
const COLORREF kBlack = RGB(0, 0, 0);

TEST(ChartSeries, ValuesAreStoredAboveTheLowEndAndAveragedOnce) {
    ChartSeries cpu("CPU", kPen, 1, -5, 100);
    cpu.AddValue(40);
    cpu.AddValue(60);
    ASSERT_EQ(cpu.Queue().size(), 2u);
    EXPECT_EQ(cpu.Queue()[0], 46);
    EXPECT_EQ(cpu.Queue()[1], 66);
    EXPECT_EQ(cpu.TakeAverage(), 56);
    EXPECT_TRUE(cpu.Queue().empty());
    EXPECT_EQ(cpu.TakeAverage(), 0);
    cpu.AddValue(3);
    cpu.AddValue(4);
    EXPECT_EQ(cpu.TakeAverage(), 9);  // (9 + 10) / 2, truncated
}

TEST(ChartGeometry, YOfAStoredValue) {
    EXPECT_EQ(ChartY(56, 106, -5, 100), 50);
    EXPECT_EQ(ChartY(56, 80, -5, 100), 80 - 56 * 80 / 106);
    EXPECT_EQ(ChartY(106, 80, -5, 100), 0);  // 100 % at the top
    EXPECT_EQ(ChartY(6, 106, -5, 100), 100);  // 0 % six 106ths above the bottom
    EXPECT_EQ(ChartY(10, 80, 5, 4), 80);      // an empty range draws at the bottom
}

TEST(ChartGeometry, GridPhaseStepsBackAScrollModuloThePitchAtEachDpi) {
    struct Case {
        int dpi;
        ChartMetrics metrics;
        int phases[6];  // after each of six scrolls from a phase of one pitch
    } cases[] = {
        {96, {13, 3, 11}, {10, 7, 4, 1, 11, 8}},
        {144, {20, 5, 17}, {15, 10, 5, 0, 15, 10}},
        {192, {26, 6, 22}, {20, 14, 8, 2, 22, 16}},
    };
    for (const Case& c : cases) {
        const ChartMetrics m = ChartMetricsFor(c.dpi);
        EXPECT_EQ(m.pitch, c.metrics.pitch) << c.dpi;
        EXPECT_EQ(m.step, c.metrics.step) << c.dpi;
        EXPECT_EQ(m.segmentEnd, c.metrics.segmentEnd) << c.dpi;
        int phase = m.pitch;
        for (int e : c.phases) {
            phase = NextGridPhase(phase, m);
            EXPECT_EQ(phase, e) << c.dpi;
        }
        // The redrawn line is the last grid line: x = phase - 1 modulo the pitch, within the last pitch.
        const int right = MulDiv(170, c.dpi, 96);
        for (int p = 0; p < m.pitch; ++p) {
            int x = VerticalGridX(right, p, m);
            EXPECT_EQ(((x - (p - 1)) % m.pitch + m.pitch) % m.pitch, 0) << c.dpi << " " << p;
            EXPECT_GE(x, right - m.pitch);
            EXPECT_LT(x, right);
        }
    }
}

class ChartPixels : public ::testing::Test {
protected:
    testhost::Host host{200, 120};
    LoadHistoryChart chart;
    ChartSeries* cpu = nullptr;
    int w = 0, h = 0;

    void SetUp() override {
        cpu = &chart.AddSeries("CPU", kPen, 1, -5, 100);
        ASSERT_TRUE(chart.Create(WS_VISIBLE, {10, 10, 184, 104}, host.Handle(), 5469));
        chart.SetBackground(kBlack);
        RECT client{};
        GetClientRect(chart.Handle(), &client);
        w = client.right;
        h = client.bottom;
    }
    void Render(testhost::Canvas& canvas) { canvas.Render(chart.Handle()); }
    // Draws the chart after the values 40 and 60 at `dpi`; the height of their average.
    int DrawFortyThenSixty(testhost::Canvas& canvas, int dpi) {
        if (dpi != kBaseDpi) chart.SetDpi(dpi);
        cpu->AddValue(40);
        cpu->AddValue(60);
        chart.Update();
        Render(canvas);
        return h - 56 * h / 106;
    }
};

TEST_F(ChartPixels, FirstUpdateDrawsTheAverageAtItsHeight) {
    testhost::Canvas canvas(w, h);
    const int y = DrawFortyThenSixty(canvas, kBaseDpi);
    // No earlier point: the segment is flat at the new height, from w - 14 up to w - 11.
    EXPECT_EQ(canvas.Pixel(w - 14, y), kPen);
    EXPECT_EQ(canvas.Pixel(w - 12, y), kPen);
    EXPECT_NE(canvas.Pixel(w - 12, y - 2), kPen);
    EXPECT_NE(canvas.Pixel(w - 16, y), kPen);
    EXPECT_EQ(cpu->previousY, y);
}

TEST_F(ChartPixels, At192DpiTheLineIsTwoPixelsWideAndEndsTwiceAsFarIn) {
    testhost::Canvas canvas(w, h);
    const int y = DrawFortyThenSixty(canvas, 192);
    // Flat from w - 28 to w - 22, two pixels thick.
    EXPECT_EQ(canvas.Pixel(w - 27, y), kPen);
    EXPECT_EQ(canvas.Pixel(w - 23, y), kPen);
    EXPECT_EQ(canvas.Count(kPen, {w - 25, y - 3, w - 24, y + 4}), 2);
    EXPECT_EQ(canvas.Count(kPen, {w - 20, 0, w, h}), 0);
}

TEST_F(ChartPixels, HistoryScrollsThreePixelsPerUpdateAndJoinsTheSegments) {
    cpu->AddValue(40);
    cpu->AddValue(60);
    chart.Update();
    const int y1 = h - 56 * h / 106;
    cpu->AddValue(100);
    chart.Update();
    const int y2 = ChartY(106, h, -5, 100);
    testhost::Canvas canvas(w, h);
    Render(canvas);
    EXPECT_EQ(canvas.Pixel(w - 17, y1), kPen);  // the first segment moved left
    EXPECT_EQ(canvas.Pixel(w - 14, y1), kPen);  // the second starts where the first ended
    EXPECT_GT(canvas.Count(kPen, {w - 12, y2, w - 10, y2 + 3}), 0);
    // An update without values scrolls but draws no new segment (which would start at w - 14).
    const int before = canvas.Count(kPen, {0, 0, w, h});
    chart.Update();
    Render(canvas);
    EXPECT_EQ(canvas.Count(kPen, {w - 13, 0, w, h}), 0);
    EXPECT_EQ(canvas.Count(kPen, {0, 0, w, h}), before);
    EXPECT_EQ(cpu->previousY, y2);
}

TEST_F(ChartPixels, GridStaysWholeAsTheHistoryScrolls) {
    for (int i = 0; i < 20; ++i) chart.Update();
    testhost::Canvas canvas(w, h);
    Render(canvas);
    // Horizontal grid lines at 12, 25, ... run across the whole width.
    for (int y = 12; y < h; y += 13) EXPECT_EQ(canvas.Count(kGrid, {0, y, w, y + 1}), w) << y;
    // Vertical lines moved 60 pixels left with the history.
    const int phase = chart.GridPhase();
    EXPECT_EQ(phase, ((13 - 60) % 13 + 13) % 13);
    for (int x = 0; x < w; ++x) {
        const bool line = ((x - (phase - 1)) % 13 + 13) % 13 == 0;
        EXPECT_EQ(canvas.Pixel(x, 5), line ? kGrid : kBlack) << x;
    }
}

TEST_F(ChartPixels, NewBackgroundClearsTheHistory) {
    cpu->AddValue(50);
    chart.Update();
    chart.SetBackground(RGB(0, 0, 90));
    testhost::Canvas canvas(w, h);
    Render(canvas);
    EXPECT_EQ(canvas.Count(kPen, {0, 0, w, h}), 0);
    EXPECT_EQ(canvas.Pixel(5, 5), RGB(0, 0, 90));
    EXPECT_EQ(cpu->previousY, h + 1);
}

TEST(LoadHistoryChart, UpdateWithoutWindowOnlyEmptiesTheQueues) {
    LoadHistoryChart chart;
    ChartSeries& cpu = chart.AddSeries("CPU", kPen, 1, -5, 100);
    cpu.AddValue(10);
    chart.Update();
    EXPECT_TRUE(cpu.Queue().empty());
}
}  // namespace
