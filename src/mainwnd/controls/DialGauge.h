// Round dial showing the share of physical memory in use, drawn over a static control.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ui/Handles.h"
#include "ui/OffscreenBitmap.h"
#include "ui/PaintedControl.h"

class DialGauge : public PaintedControl {
public:
    DialGauge();
    ~DialGauge() override { Detach(); }

    // Stores the value and repaints; values off the scale pin the needle at its end.
    void SetValue(double value);
    // Colour zones under the scale; the cached face is rebuilt.
    void SetZones(bool on);

    double Value() const { return value_; }
    bool Zones() const { return zones_; }

protected:
    // A copy of the cached face plus the needle, hub and texts.
    bool Paint(HDC dc, const RECT& client) override;
    bool OnControlMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnDpiChanged(int) override { DropFace(); }

private:
    bool EnsureFace(int width, int height);
    void DrawRing(HDC dc) const;
    void DrawZones(HDC dc) const;
    void DrawTicks(HDC dc);
    void DrawLabels(HDC dc) const;
    void DrawNeedle(HDC dc) const;
    void DrawHub(HDC dc) const;
    void DrawTexts(HDC dc) const;
    void DropFace();
    void MakeTools();

    std::string caption_ = "Usage";
    int valuePrecision_ = 1;
    int labelPrecision_ = 0;
    COLORREF needleColor_ = RGB(255, 0, 0);
    double value_ = 50.0;
    double minimum_ = 0.0;
    double maximum_ = 100.0;
    bool zones_ = false;

    int radius_ = 0;
    POINT centre_{};
    OffscreenBitmap face_;  // static dial: ring, zones, ticks, labels
    UniqueGdi<HRGN> needleClip_;
    // Drawing tools of the moving parts, made with the face so a repaint creates none.
    UniqueGdi<HFONT> textFont_;
    UniqueGdi<HPEN> needlePen_;
    UniqueGdi<HBRUSH> needleBrush_;
    UniqueGdi<HPEN> shadowPen_;
    UniqueGdi<HPEN> lightPen_;
    std::vector<UniqueGdi<HPEN>> hubPens_;      // index n - 1 for the circle of radius n
    std::vector<UniqueGdi<HBRUSH>> hubBrushes_;
};
