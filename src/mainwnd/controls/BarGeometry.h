// Geometry and fill of the segmented bar, as plain values.
#pragma once
#include <windows.h>

#include <vector>

// Lines of the bar at `dpi`: the gap between segments (`gap` pixels at 96 DPI, none when 0)
// and the segments' border.
int BarGap(int gap, int dpi);
int BarBorder(int dpi);

// Width of one segment in pixels: (client width - count x gap) / count; 0 without segments.
double SegmentWidth(int clientWidth, int count, int gap);

// Rectangles of the `count` segments, left to right, each `height` high.
// x walks by gap + width in floating point and each edge is truncated, so
// rounding never accumulates across the bar.
std::vector<RECT> SegmentRects(int count, double segmentWidth, int gap, int height);

struct BarFill {
    double filled;  // segments' worth covered by the position, 0..count
    int last;       // last fully lit segment, -1 for none
    int partial;    // width in pixels of the lit part of segment last + 1
};

// How much of the bar `position` lights in a range of min..max. A position
// outside the range lights nothing or everything; an empty range lights nothing.
BarFill ComputeBarFill(int position, int minimum, int maximum, int count, double segmentWidth);

// The lit part of a partly filled segment: the inside of its `border`, `partial` pixels wide at most.
RECT PartialRect(const RECT& segment, int partial, int border);
