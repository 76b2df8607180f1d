#include "ui/ColorButton.h"

#include <commctrl.h>

#include <string>

#include "ui/Dialog.h"
#include "ui/Handles.h"

ButtonSlots ChooseButtonSlots(bool pointerOver, bool pressed, bool focused) {
    if (pointerOver || pressed) return {0, 1};
    if (focused) return {4, 5};
    return {2, 3};
}

ColorButton::ColorButton() {
    const COLORREF face = GetSysColor(COLOR_BTNFACE), text = GetSysColor(COLOR_BTNTEXT);
    for (int i = 0; i < kSlotCount; i += 2) {
        colors_[i] = face;
        colors_[i + 1] = text;
    }
}

int ColorButton::SetColor(int slot, COLORREF color, bool redraw) {
    if (slot < 0 || slot >= kSlotCount) return kRefused;
    colors_[slot] = color;
    if (redraw && Handle()) InvalidateRect(Handle(), nullptr, FALSE);
    return 0;
}

void ColorButton::Draw(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool isDefault = (item.itemState & ODS_DEFAULT) != 0;
    const ButtonSlots slots = ChooseButtonSlots(pointerOver_, pressed, focused);
    const int line = LineWidth(1, Dpi());

    if (!flat_ && (focused || isDefault)) {
        for (int i = 0; i < line; ++i) {
            FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            InflateRect(&r, -1, -1);
        }
    }
    UniqueGdi<HBRUSH> background(CreateSolidBrush(colors_[slots.background]));
    if (background) FillRect(dc, &r, background.get());

    char caption[256] = {};
    int length = GetWindowTextA(item.hwndItem, caption, sizeof caption);
    DcStateGuard state(dc);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0));
    if (font) SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (disabled) {
        RECT raised = r;
        OffsetRect(&raised, line, line);
        SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
        DrawTextA(dc, caption, length, &raised, format);
        SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
    } else {
        SetTextColor(dc, colors_[slots.text]);
    }
    DrawTextA(dc, caption, length, &r, format);
}

void ColorButton::OnMouseMove() {
    // Only while the application is active, as other buttons behave.
    if (pointerOver_ || !GetActiveWindow()) return;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
    if (!_TrackMouseEvent(&track)) return;
    pointerOver_ = true;
    InvalidateRect(Handle(), nullptr, FALSE);
}

void ColorButton::OnMouseLeave() {
    if (!pointerOver_) return;
    pointerOver_ = false;
    InvalidateRect(Handle(), nullptr, FALSE);
}

bool ColorButton::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case kReflectBase + WM_DRAWITEM:
        Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        result = TRUE;
        return true;
    case WM_MOUSEMOVE: OnMouseMove(); return false;
    case WM_MOUSELEAVE: OnMouseLeave(); return false;
    default: return false;
    }
}
