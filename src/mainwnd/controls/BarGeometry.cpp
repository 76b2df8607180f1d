#include "mainwnd/controls/BarGeometry.h"

#include <algorithm>

#include "ui/Dpi.h"

int BarGap(int gap, int dpi) { return gap > 0 ? LineWidth(gap, dpi) : 0; }
int BarBorder(int dpi) { return LineWidth(1, dpi); }

double SegmentWidth(int clientWidth, int count, int gap) {
    if (count <= 0) return 0.0;
    return (static_cast<double>(clientWidth) - static_cast<double>(count) * gap) / count;
}

std::vector<RECT> SegmentRects(int count, double segmentWidth, int gap, int height) {
    std::vector<RECT> rects;
    if (count <= 0) return rects;
    rects.reserve(static_cast<size_t>(count));
    double x = 0.0;
    for (int i = 0; i < count; ++i) {
        rects.push_back({static_cast<LONG>(x), 0, static_cast<LONG>(x + segmentWidth), height});
        x += gap + segmentWidth;
    }
    return rects;
}

BarFill ComputeBarFill(int position, int minimum, int maximum, int count, double segmentWidth) {
    BarFill fill{0.0, -1, 0};
    if (count <= 0 || maximum <= minimum) return fill;
    // Measured from 0, not from the minimum: every bar of the application starts at 0.
    double filled = static_cast<double>(position) / (static_cast<double>(maximum) - minimum) * count;
    fill.filled = std::min(std::max(filled, 0.0), static_cast<double>(count));
    fill.last = static_cast<int>(fill.filled) - 1;
    fill.partial = static_cast<int>((fill.filled - 1 - fill.last) * segmentWidth);
    return fill;
}

RECT PartialRect(const RECT& segment, int partial, int border) {
    RECT inner{segment.left + border, segment.top + border, segment.right - border, segment.bottom - border};
    if (partial <= 0 || inner.right <= inner.left) return {inner.left, inner.top, inner.left, inner.bottom};
    inner.right = std::min(inner.right, inner.left + static_cast<LONG>(partial));
    return inner;
}
