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
// Black on a background whose components are all non-zero, else white.
COLORREF TrayTextColor(COLORREF background);
// Rows of a `size` x `size` picture that the text covers: the top three quarters; the base
// picture's level bar shows below them.
int TrayTextRows(int size);

// The tray picture, `size` x `size` pixels (the shell's small-icon size, so the shell never
// scales it): `base` drawn at that size with its text rows filled with `background` and `text`
// written over them, as large as fits. Empty on failure. `art`, when given, is TrayArt(base,
// size) made earlier: a picture that changes every second need not load its artwork anew.
UniqueIcon DrawTrayPicture(HICON base, const std::string& text, COLORREF background, int size, HICON art = nullptr);
// The base picture's own image of the artwork's size nearest above `size` (16 or 32 pixels),
// loaded from the program's resources; empty when it has none.
UniqueIcon TrayArt(HICON base, int size);
