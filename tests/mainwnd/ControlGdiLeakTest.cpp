#include <gtest/gtest.h>

#include "mainwnd/controls/BusyProgressCtrl.h"
#include "mainwnd/controls/DialGauge.h"
#include "mainwnd/controls/LoadHistoryChart.h"
#include "ui/ColorButton.h"
#include "ui/ColorLabel.h"
#include "ui/ControlTestHost.h"
#include "ui/RoundedFrame.h"

namespace {
TEST(GdiObjectCount, SeesObjectsComeAndGo) {
    const long before = testhost::GdiObjectCount();
    ASSERT_GT(before, 0);
    HBRUSH brushes[5];
    for (HBRUSH& b : brushes) b = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(testhost::GdiObjectCount(), before + 5);
    for (HBRUSH b : brushes) DeleteObject(b);
    EXPECT_EQ(testhost::GdiObjectCount(), before);
}

TEST(ControlGdiLeak, RepaintingEveryControlManyTimesHoldsNoNewObjects) {
    testhost::Host host(400, 300);
    HWND barWnd = host.AddChild("Static", "", 0, {0, 0, 264, 16}, 1012);
    HWND gaugeWnd = host.AddChild("Static", "", 0, {0, 20, 150, 170}, 1152);
    HWND labelWnd = host.AddChild("Static", "text", SS_LEFT, {160, 20, 300, 40}, 1097);
    HWND buttonWnd = host.AddChild("Button", "Go", BS_OWNERDRAW, {160, 50, 260, 75}, 1065);
    BusyProgressCtrl bar(32, 0);
    DialGauge gauge;
    LoadHistoryChart chart;
    ColorLabel label;
    ColorButton button;
    ChartSeries& cpu = chart.AddSeries("CPU", RGB(255, 249, 100), 1, -5, 100);
    ASSERT_TRUE(bar.Attach(barWnd));
    ASSERT_TRUE(gauge.Attach(gaugeWnd));
    ASSERT_TRUE(label.Attach(labelWnd));
    ASSERT_TRUE(button.Attach(buttonWnd));
    ASSERT_TRUE(chart.Create(WS_VISIBLE, {160, 100, 330, 180}, host.Handle(), 5469));
    bar.SetMode(BusyProgressCtrl::kProgressMode);
    bar.SetRange(0, 1024);
    gauge.SetZones(true);
    testhost::Canvas canvas(400, 300);

    auto round = [&](int i) {
        bar.SetPosition(i * 7 % 1024);
        canvas.Render(barWnd);
        gauge.SetValue(i % 120);
        canvas.Render(gaugeWnd);
        cpu.AddValue(i % 100);
        chart.Update();
        canvas.Render(chart.Handle());
        label.SetFontHeight(11 + i % 3);
        label.SetTextColor(RGB(i % 256, 0, 0));
        canvas.Render(labelWnd);
        DRAWITEMSTRUCT item{ODT_BUTTON, 1065, 0, ODA_DRAWENTIRE, static_cast<UINT>(i % 2 ? ODS_FOCUS : ODS_DISABLED),
                            buttonWnd, canvas.Dc(), {0, 0, 100, 25}, 0};
        SendMessageA(host.Handle(), WM_DRAWITEM, 1065, reinterpret_cast<LPARAM>(&item));
        DrawRoundedFrame(canvas.Dc(), 300, 200);
        testhost::PumpMessages();
    };
    for (int i = 0; i < 5; ++i) round(i);  // caches are built
    const long before = testhost::GdiObjectCount();
    for (int i = 0; i < 500; ++i) round(i);
    EXPECT_EQ(testhost::GdiObjectCount(), before);
    // A resize drops and rebuilds the caches without keeping the old ones.
    SetWindowPos(gaugeWnd, nullptr, 0, 0, 160, 180, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(barWnd, nullptr, 0, 0, 200, 16, SWP_NOMOVE | SWP_NOZORDER);
    for (int i = 0; i < 5; ++i) round(i);
    EXPECT_EQ(testhost::GdiObjectCount(), before);
}
}  // namespace
