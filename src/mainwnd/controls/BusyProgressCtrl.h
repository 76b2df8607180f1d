// Segmented bar meter drawn over a static control: memory figures and the
// progress of an optimization run.
#pragma once
#include <windows.h>

#include <vector>

#include "ui/OffscreenBitmap.h"
#include "ui/PaintedControl.h"

// Messages understood by an attached bar, the value in wParam. Another thread
// (the optimization worker) must use these rather than the member functions.
constexpr UINT kBarSetCount = 0x401;
constexpr UINT kBarSetPosition = 0x402;
constexpr UINT kBarSetGap = 0x403;
constexpr UINT kBarSetRange = 0x405;  // minimum in wParam, maximum in lParam
constexpr UINT kBarSetMode = 0x406;

struct BarColors {
    COLORREF background;
    COLORREF offBorder;
    COLORREF offFill;
    COLORREF onBorder;
    COLORREF onFill;
};

class BusyProgressCtrl : public PaintedControl {
public:
    enum Mode { kBusyMode = 1, kProgressMode = 2 };

    BusyProgressCtrl(int segmentCount, int position);
    ~BusyProgressCtrl() override { Detach(); }

    // Each setter repaints an attached bar at once (the range excepted) and
    // must run on the window's thread.
    void SetSegmentCount(int count);
    void SetPosition(int position);
    void SetGap(int gap);
    void SetRange(int minimum, int maximum);
    void SetMode(int mode);
    void SetColors(const BarColors& colors);
    // On a system colour change the background follows COLOR_BTNFACE.
    void SetFollowSystemColors(bool follow) { followSystem_ = follow; }
    // Before a run: the position of a progress bar goes back to 0.
    void Reset();

    int SegmentCount() const { return count_; }
    int Position() const { return position_; }
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }
    int Mode() const { return mode_; }
    const BarColors& Colors() const { return colors_; }

protected:
    // A copy of the unlit strip, the lit strip's share up to the position and the partial segment.
    bool Paint(HDC dc, const RECT& client) override;
    bool OnControlMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnAttached() override;
    void OnDpiChanged(int) override { Recompute(); }

private:
    void Recompute();
    bool EnsureStrips();
    void DrawStrip(HDC dc, COLORREF border, COLORREF fill) const;

    int count_;
    int position_;
    int gap_ = 1;  // pixels at 96 DPI
    int minimum_ = 0;
    int maximum_ = 100;
    int mode_ = kBusyMode;
    bool followSystem_ = true;
    BarColors colors_;
    double segmentWidth_ = 0.0;
    int border_ = 1;  // the segments' border at the control's DPI
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    std::vector<RECT> segments_;
    // The bar drawn all off and all on: a repaint copies a share of each.
    OffscreenBitmap unlit_;
    OffscreenBitmap lit_;
};
