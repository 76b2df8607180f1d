#include "mainwnd/controls/LoadHistoryChart.h"

#include "mainwnd/controls/ChartGeometry.h"

namespace {
void Line(HDC dc, int x1, int y1, int x2, int y2) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}
}  // namespace

bool LoadHistoryChart::Create(DWORD style, const RECT& rect, HWND parent, int id) {
    if (Handle()) return false;
    HWND wnd = CreateWindowExA(WS_EX_STATICEDGE, "Static", "", style | WS_CHILD, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    if (!wnd) return false;
    if (!Attach(wnd)) {
        DestroyWindow(wnd);
        return false;
    }
    Rebuild();
    return true;
}

void LoadHistoryChart::SetBackground(COLORREF color) {
    background_ = color;
    Rebuild();
    RedrawNow();
}

ChartSeries& LoadHistoryChart::AddSeries(const std::string& name, COLORREF color, int width, int low, int high) {
    series_.emplace_back(name, color, width, low, high);
    RECT client{};
    if (Handle()) GetClientRect(Handle(), &client);
    series_.back().previousY = client.bottom + 1;
    return series_.back();
}

void LoadHistoryChart::Rebuild() {
    RECT client{};
    if (!Handle() || !GetClientRect(Handle(), &client)) return;
    const int w = client.right, h = client.bottom;
    metrics_ = ChartMetricsFor(Dpi());
    phase_ = metrics_.pitch;
    for (ChartSeries& s : series_) s.previousY = h + 1;
    backgroundBrush_.reset(CreateSolidBrush(background_));
    gridPen_.reset(CreatePen(PS_SOLID, LineWidth(1, Dpi()), grid_));
    if (!backgroundBrush_ || !gridPen_ || !history_.Create(nullptr, w, h)) {
        history_.Reset();
        return;
    }
    HDC dc = history_.Dc();
    FillRect(dc, &client, backgroundBrush_.get());
    SelectGuard pen(dc, gridPen_.get());
    for (int x = -1; x < w; x += metrics_.pitch) Line(dc, x, 0, x, h);
    for (int y = -1; y < h; y += metrics_.pitch) Line(dc, 0, y, w, y);
}

void LoadHistoryChart::DrawGridStrip(HDC dc) const {
    const int w = history_.Width(), h = history_.Height();
    SelectGuard pen(dc, gridPen_.get());
    const int x = VerticalGridX(w, phase_, metrics_);
    Line(dc, x, 0, x, h);
    for (int y = -1; y < h; y += metrics_.pitch) Line(dc, w - metrics_.step, y, w, y);
}

void LoadHistoryChart::DrawSeries(HDC dc) {
    const int w = history_.Width(), h = history_.Height();
    for (ChartSeries& s : series_) {
        const int average = s.TakeAverage();
        if (average == 0) continue;
        const int y = ChartY(average, h, s.Low(), s.High());
        if (s.previousY == h + 1) s.previousY = y;
        UniqueGdi<HPEN> pen(CreatePen(PS_SOLID, LineWidth(s.Width(), Dpi()), s.Color()));
        SelectGuard select(dc, pen.get());
        const int end = w - metrics_.segmentEnd;
        Line(dc, end - metrics_.step, s.previousY, end, y);
        s.previousY = y;
    }
}

void LoadHistoryChart::Update() {
    if (!history_) {
        for (ChartSeries& s : series_) s.TakeAverage();
        return;
    }
    HDC dc = history_.Dc();
    const int w = history_.Width(), h = history_.Height();
    // Scroll first, then clear the strip that came free: clearing before the
    // scroll would carry the blank strip into the history and cut the grid.
    const int step = metrics_.step;
    BitBlt(dc, 0, 0, w - step, h, dc, step, 0, SRCCOPY);
    RECT strip{w - step, 0, w, h};
    FillRect(dc, &strip, backgroundBrush_.get());
    phase_ = NextGridPhase(phase_, metrics_);
    DrawGridStrip(dc);
    DrawSeries(dc);
    RedrawNow();
}

bool LoadHistoryChart::Paint(HDC dc, const RECT&) {
    if (!history_) return false;
    history_.CopyTo(dc);
    return true;
}

bool LoadHistoryChart::OnControlMessage(UINT msg, WPARAM, LPARAM, LRESULT&) {
    switch (msg) {
    case WM_SIZE: {
        // The history is as wide as the window: a new size starts it over.
        RECT client{};
        GetClientRect(Handle(), &client);
        if (!history_.Matches(client.right, client.bottom)) Rebuild();
        return false;
    }
    default: return false;
    }
}
