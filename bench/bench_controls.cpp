// Cost of one repaint of each drawn control, against one plain copy of a
// bitmap of the same size: a refresh should cost about one copy plus the
// moving parts, never a redraw of the static face.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "mainwnd/controls/BusyProgressCtrl.h"
#include "mainwnd/controls/DialGauge.h"
#include "mainwnd/controls/LoadHistoryChart.h"
#include "ui/OffscreenBitmap.h"
#include "BenchClock.h"

namespace {
// Median microseconds per call of `step`, over rounds of `perRound` calls.
double Median(const std::function<void(int)>& step, int perRound = 50, int rounds = 21) {
    std::vector<double> times;
    int i = 0;
    for (int r = 0; r < rounds; ++r) {
        double t0 = Now();
        for (int k = 0; k < perRound; ++k) step(i++);
        times.push_back((Now() - t0) / perRound * 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

HWND Child(HWND parent, int x, int y, int w, int h) {
    return CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, x, y, w, h, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

void Report(const char* what, double us, double copyUs) {
    std::printf("%-44s %9.1f us  (%5.1f x one copy)\n", what, us, copyUs > 0 ? us / copyUs : 0.0);
}
}  // namespace

int main() {
    // Sizes as in the main window: bars 250 x 14, the gauge 150 x 150, the chart 250 x 110.
    HWND host = CreateWindowExA(0, "Static", "bench", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    HWND barWnd = Child(host, 0, 0, 250, 14);
    HWND gaugeWnd = Child(host, 0, 20, 150, 150);
    BusyProgressCtrl bar(32, 0);
    DialGauge gauge;
    LoadHistoryChart chart;
    ChartSeries& cpu = chart.AddSeries("CPU", RGB(255, 249, 100), 1, -5, 100);
    if (!host || !bar.Attach(barWnd) || !gauge.Attach(gaugeWnd) ||
        !chart.Create(WS_VISIBLE, {200, 0, 450, 110}, host, 5469)) {
        std::printf("could not create the controls\n");
        return 1;
    }
    bar.SetMode(BusyProgressCtrl::kProgressMode);
    bar.SetRange(0, 1024);
    gauge.SetZones(true);
    chart.SetBackground(RGB(0, 0, 0));

    // The window's own surface stands in for the screen.
    OffscreenBitmap target, source;
    target.Create(nullptr, 600, 400);
    source.Create(nullptr, 600, 400);
    HDC dc = target.Dc();
    auto copy = [&](int w, int h) {
        return Median([&](int) { BitBlt(dc, 0, 0, w, h, source.Dc(), 0, 0, SRCCOPY); }, 200);
    };
    const double copyBar = copy(250, 14), copyGauge = copy(150, 150), copyChart = copy(250, 110);

    std::printf("one repaint under this system (median of 21 rounds):\n");
    Report("copy of a 250 x 14 bitmap", copyBar, copyBar);
    Report("bar: paint", Median([&](int) { bar.PaintTo(dc); }, 200), copyBar);
    Report("bar: new position and paint", Median([&](int i) {
               bar.SetPosition(i * 37 % 1024);  // the invalidation is a server call under Wine
               bar.PaintTo(dc);
           }, 200), copyBar);
    Report("copy of a 150 x 150 bitmap", copyGauge, copyGauge);
    Report("gauge: paint (cached face)", Median([&](int) { gauge.PaintTo(dc); }), copyGauge);
    Report("gauge: new value and paint (cached face)", Median([&](int i) {
               gauge.SetValue(i % 100);
               gauge.PaintTo(dc);
           }), copyGauge);
    Report("gauge: face rebuilt as well (for comparison)", Median([&](int i) {
               gauge.SetZones(i % 2 == 0);  // drops the face
               gauge.PaintTo(dc);
           }, 10), copyGauge);
    Report("copy of a 250 x 110 bitmap", copyChart, copyChart);
    Report("chart: paint", Median([&](int) { chart.PaintTo(dc); }, 200), copyChart);
    Report("chart: value added, update and paint", Median([&](int i) {
               cpu.AddValue(i * 7 % 100);
               chart.Update();
               chart.PaintTo(dc);
           }, 200), copyChart);
    DestroyWindow(host);
    return 0;
}
