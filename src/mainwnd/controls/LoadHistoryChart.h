// Scrolling line chart of the processor load, in a child window of its own.
#pragma once
#include <windows.h>

#include <deque>
#include <string>

#include "mainwnd/controls/ChartGeometry.h"
#include "mainwnd/controls/ChartSeries.h"
#include "ui/OffscreenBitmap.h"
#include "ui/PaintedControl.h"

class LoadHistoryChart : public PaintedControl {
public:
    LoadHistoryChart() = default;
    ~LoadHistoryChart() override { Detach(); }

    // Creates the chart window (a static-edged child; add WS_VISIBLE to `style` to show it)
    // in `rect` of `parent`'s client area, with control id `id`.
    bool Create(DWORD style, const RECT& rect, HWND parent, int id);
    // New background: the history is cleared and the grid redrawn.
    void SetBackground(COLORREF color);
    // Adds a line; the reference stays valid for the chart's life. Series may be
    // added before the window exists.
    ChartSeries& AddSeries(const std::string& name, COLORREF color, int width, int low, int high);
    // One step: scrolls the history a step (3 pixels at 96 DPI) left, draws each series' averaged
    // value and repaints. Without a window it only empties the queues.
    void Update();

    COLORREF Background() const { return background_; }
    int GridPhase() const { return phase_; }
    size_t SeriesCount() const { return series_.size(); }
    ChartSeries& Series(size_t index) { return series_[index]; }

protected:
    // A copy of the history bitmap.
    bool Paint(HDC dc, const RECT& client) override;
    bool OnControlMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // The grid and the lines are drawn anew for the DPI, with the history cleared.
    void OnDpiChanged(int) override { Rebuild(); }

private:
    void Rebuild();
    void DrawGridStrip(HDC dc) const;
    void DrawSeries(HDC dc);

    COLORREF background_ = RGB(0, 0, 90);
    COLORREF grid_ = RGB(0, 128, 0);
    int phase_ = kGridPitch;
    ChartMetrics metrics_ = ChartMetricsFor(kBaseDpi);
    std::deque<ChartSeries> series_;  // a deque keeps references stable as series are added
    OffscreenBitmap history_;
    UniqueGdi<HBRUSH> backgroundBrush_;
    UniqueGdi<HPEN> gridPen_;
};
