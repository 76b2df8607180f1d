// What a dialog does when its DPI changes (moved to a monitor of another scaling), and the
// pictures it shows at any DPI.
#pragma once
#include <windows.h>

#include <vector>

#include "ui/Handles.h"

// `r` laid out at `fromDpi`, at `toDpi`: each edge scaled, so controls that meet still meet.
RECT ScaleRect(const RECT& r, int fromDpi, int toDpi);
// The largest size of `picture`'s proportions that fits `frame` (at least 1 x 1).
SIZE FitPicture(SIZE picture, SIZE frame);

// A copy of `font` for `toDpi` (its height scaled from `fromDpi`); null on failure.
HFONT ScaledFont(HFONT font, int fromDpi, int toDpi);
// Moves and sizes every child of `parent` from `fromDpi` to `toDpi`; a child showing `oldFont`
// gets `newFont` (when not null), and a list's columns grow or shrink with it.
void ScaleChildren(HWND parent, int fromDpi, int toDpi, HFONT oldFont, HFONT newFont);

// `source` stretched smoothly (halftone) to `size`, as a 24-bit bitmap; empty on failure.
UniqueGdi<HBITMAP> ScaledBitmap(HBITMAP source, SIZE size);

// The pictures of a dialog's picture controls, fitted to their frames: a bitmap (drawn for
// 96 DPI) is stretched smoothly to fill its frame in proportion; an icon is loaded again at the
// size of the system's icons for the DPI. A control whose picture already fits is left alone.
class DialogPictures {
public:
    DialogPictures() = default;
    DialogPictures(const DialogPictures&) = delete;
    DialogPictures& operator=(const DialogPictures&) = delete;

    // Fits the pictures of `dialog`'s bitmap and icon controls for `dpi`.
    void Fit(HWND dialog, int dpi);
    // Releases the pictures once the controls are gone.
    void Clear();

private:
    struct Bitmap {
        HWND control;
        UniqueGdi<HBITMAP> original;  // taken over from the control at the first fitting
        UniqueGdi<HBITMAP> shown;
    };
    struct Icon {
        HWND control;
        UniqueIcon shown;
    };
    void FitBitmap(HWND control);
    void FitIcon(HWND control, int dpi);

    std::vector<Bitmap> bitmaps_;
    std::vector<Icon> icons_;
};
