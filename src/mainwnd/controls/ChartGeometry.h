// Arithmetic of the scrolling history chart, as plain values.
#pragma once

constexpr int kGridPitch = 13;
constexpr int kScrollStep = 3;

// Height in pixels of the client area that a stored value (already raised by
// 1 - low) reaches on a chart of range low..high: h - value x h / (high - low + 1).
inline int ChartY(int storedValue, int height, int low, int high) {
    const int span = high - low + 1;
    if (span <= 0) return height;
    return height - static_cast<int>(static_cast<long long>(storedValue) * height / span);
}

// Grid phase after one scroll: 3 pixels back, modulo the pitch.
inline int NextGridPhase(int phase) { return ((phase - kScrollStep) % kGridPitch + kGridPitch) % kGridPitch; }

// x of the vertical grid line that lies within the last pitch of a chart whose right edge is `right`.
inline int VerticalGridX(int right, int phase) {
    return right - (((right - phase) % kGridPitch + kGridPitch) % kGridPitch + 1);
}
