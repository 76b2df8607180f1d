// Arithmetic of the scrolling history chart, as plain values.
#pragma once

#include "ui/Dpi.h"

constexpr int kGridPitch = 13;  // pixels at 96 DPI
constexpr int kScrollStep = 3;
constexpr int kSegmentEnd = 11;  // the newest segment ends this far from the right edge

// The chart's steps at a DPI, in pixels.
struct ChartMetrics {
    int pitch;       // between grid lines
    int step;        // one scroll, and one segment's width
    int segmentEnd;  // from the right edge to the end of the newest segment
};
inline ChartMetrics ChartMetricsFor(int dpi) {
    return {ScaleToDpi(kGridPitch, dpi), ScaleToDpi(kScrollStep, dpi), ScaleToDpi(kSegmentEnd, dpi)};
}

// Height in pixels of the client area that a stored value (already raised by
// 1 - low) reaches on a chart of range low..high: h - value x h / (high - low + 1).
inline int ChartY(int storedValue, int height, int low, int high) {
    const int span = high - low + 1;
    if (span <= 0) return height;
    return height - static_cast<int>(static_cast<long long>(storedValue) * height / span);
}

// Grid phase after one scroll: a step back, modulo the pitch.
inline int NextGridPhase(int phase, const ChartMetrics& m) {
    return ((phase - m.step) % m.pitch + m.pitch) % m.pitch;
}

// x of the vertical grid line that lies within the last pitch of a chart whose right edge is `right`.
inline int VerticalGridX(int right, int phase, const ChartMetrics& m) {
    return right - (((right - phase) % m.pitch + m.pitch) % m.pitch + 1);
}
