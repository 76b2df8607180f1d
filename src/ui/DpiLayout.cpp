#include "ui/DpiLayout.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/Dpi.h"

RECT ScaleRect(const RECT& r, int fromDpi, int toDpi) {
    return {MulDiv(r.left, toDpi, fromDpi), MulDiv(r.top, toDpi, fromDpi), MulDiv(r.right, toDpi, fromDpi),
            MulDiv(r.bottom, toDpi, fromDpi)};
}

SIZE FitPicture(SIZE picture, SIZE frame) {
    SIZE fit = frame;
    if (picture.cx > 0 && picture.cy > 0) {
        // Full height unless that is too wide; then full width.
        LONG width = MulDiv(frame.cy, picture.cx, picture.cy);
        if (width <= frame.cx) fit.cx = width;
        else fit.cy = MulDiv(frame.cx, picture.cy, picture.cx);
    }
    return {std::max<LONG>(fit.cx, 1), std::max<LONG>(fit.cy, 1)};
}

HFONT ScaledFont(HFONT font, int fromDpi, int toDpi) {
    LOGFONTA lf{};
    if (!font || !GetObjectA(font, sizeof lf, &lf)) return nullptr;
    lf.lfHeight = MulDiv(lf.lfHeight, toDpi, fromDpi);
    lf.lfWidth = MulDiv(lf.lfWidth, toDpi, fromDpi);
    return CreateFontIndirectA(&lf);
}

namespace {
bool IsClass(HWND wnd, const char* name) {
    char cls[32] = {};
    GetClassNameA(wnd, cls, sizeof cls);
    return lstrcmpiA(cls, name) == 0;
}

void ScaleColumns(HWND list, int fromDpi, int toDpi) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    int count = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
        SendMessageA(list, LVM_SETCOLUMNWIDTH, i, MAKELPARAM(MulDiv(width, toDpi, fromDpi), 0));
    }
}
}  // namespace

void ScaleChildren(HWND parent, int fromDpi, int toDpi, HFONT oldFont, HFONT newFont) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (newFont && reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)) == oldFont)
            SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(newFont), FALSE);
        RECT r{};
        GetWindowRect(child, &r);
        // A drop-down list's window is as high as the list it drops.
        RECT dropped{};
        if (IsClass(child, "ComboBox") && SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)))
            r.bottom = std::max(r.bottom, dropped.bottom);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        RECT s = ScaleRect(r, fromDpi, toDpi);
        SetWindowPos(child, nullptr, s.left, s.top, s.right - s.left, s.bottom - s.top, SWP_NOZORDER | SWP_NOACTIVATE);
        if (IsClass(child, WC_LISTVIEWA)) ScaleColumns(child, fromDpi, toDpi);
    }
}

UniqueGdi<HBITMAP> ScaledBitmap(HBITMAP source, SIZE size) {
    BITMAP info{};
    if (!source || size.cx <= 0 || size.cy <= 0 || !GetObjectA(source, sizeof info, &info)) return {};
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size.cx;
    bi.bmiHeader.biHeight = -size.cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;  // no alpha: a picture control shows it as it is
    void* bits = nullptr;
    UniqueGdi<HBITMAP> target(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc from(CreateCompatibleDC(nullptr)), to(CreateCompatibleDC(nullptr));
    if (!target || !from || !to) return {};
    SelectGuard selectFrom(from.get(), source);
    SelectGuard selectTo(to.get(), target.get());
    // Smooth where the system can (NT); the 9x line drops pixels instead.
    SetStretchBltMode(to.get(), HALFTONE);
    SetBrushOrgEx(to.get(), 0, 0, nullptr);
    if (!StretchBlt(to.get(), 0, 0, size.cx, size.cy, from.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY))
        return {};
    return target;
}

void DialogPictures::Fit(HWND dialog, int dpi) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsClass(child, "Static")) continue;
        LONG_PTR type = GetWindowLongPtrA(child, GWL_STYLE) & SS_TYPEMASK;
        if (type == SS_BITMAP) FitBitmap(child);
        else if (type == SS_ICON) FitIcon(child, dpi);
    }
}

void DialogPictures::FitBitmap(HWND control) {
    auto entry = std::find_if(bitmaps_.begin(), bitmaps_.end(), [&](const Bitmap& b) { return b.control == control; });
    HBITMAP original = entry != bitmaps_.end()
                           ? entry->original.get()
                           : reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    RECT frame{};
    if (!original || !GetObjectA(original, sizeof info, &info) || !GetClientRect(control, &frame)) return;
    const SIZE want = FitPicture({info.bmWidth, info.bmHeight}, {frame.right, frame.bottom});
    const bool asDrawn = want.cx == info.bmWidth && want.cy == info.bmHeight;
    if (entry == bitmaps_.end()) {
        if (asDrawn) return;
        // The control lets go of the bitmap it loaded once it shows another, and never frees
        // it: from here on it is ours.
        bitmaps_.push_back({control, UniqueGdi<HBITMAP>(original), {}});
        entry = bitmaps_.end() - 1;
    }
    UniqueGdi<HBITMAP> shown = asDrawn ? UniqueGdi<HBITMAP>() : ScaledBitmap(original, want);
    if (!asDrawn && !shown) return;
    SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown ? shown.get() : original));
    entry->shown = std::move(shown);  // the one shown before is released once the control let it go
}

namespace {
int IconSide(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}
}  // namespace

void DialogPictures::FitIcon(HWND control, int dpi) {
    HICON current = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
    const int side = SystemIconSize(SM_CXICON, dpi);
    if (!current || IconSide(current) == side) return;
    // Loaded again from its resource at the size for the DPI, rather than stretched.
    UniqueIcon icon(static_cast<HICON>(CopyImage(current, IMAGE_ICON, side, side, LR_COPYFROMRESOURCE)));
    if (!icon) return;
    SendMessageA(control, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    auto entry = std::find_if(icons_.begin(), icons_.end(), [&](const Icon& i) { return i.control == control; });
    if (entry == icons_.end()) icons_.push_back({control, std::move(icon)});
    else entry->shown = std::move(icon);
}

void DialogPictures::Clear() {
    bitmaps_.clear();
    icons_.clear();
}
