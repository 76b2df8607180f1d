// Decisions of the drawn tray picture: base picture, text and its place.
#pragma once
#include <windows.h>

#include <string>

#include "ui/Handles.h"

// Base picture for the memory in use: 0 up to two quarters of `totalMB`, 1 up to
// three quarters, 2 above.
int BasePictureIndex(int usedMB, int totalMB);
// "59%" (used share raised to the next whole number, a whole one too) or the used MB.
std::string TrayIconText(bool percentMode, int availMB, int totalMB);
// x of the text: 0 for three or more characters, 10 for two, 20 for one.
int TrayTextX(size_t length);
// Black on a background whose components are all non-zero, else white.
COLORREF TrayTextColor(COLORREF background);

// The tray picture: `base` drawn at 32x32 with its top 24 rows filled with `background` and
// `text` written over them (the face sized for percent or megabyte mode). Empty on failure.
UniqueIcon DrawTrayPicture(HICON base, const std::string& text, bool percentMode, COLORREF background);
