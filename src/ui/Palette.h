// The colours of the program's own look that more than one window or control paints with.
#pragma once
#include <windows.h>

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// The main window's panel titles, the run's figure and lit segments, the dial's figure.
constexpr COLORREF kTitleCyan = RGB(19, 238, 255);
constexpr COLORREF kPink = RGB(255, 238, 255);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr COLORREF kLitGreen = RGB(0, 255, 0);
// The figures panel's frame, the buttons' faces, the run's unlit segments, the dial's ticks.
constexpr COLORREF kDarkGrey = RGB(85, 85, 85);
// The frame of a white panel.
constexpr COLORREF kFrameGrey = RGB(50, 50, 50);
