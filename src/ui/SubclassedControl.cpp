#include "ui/SubclassedControl.h"

#include "ui/Dpi.h"

namespace {
const char kControlProp[] = "Mnemora.Control";
}

SubclassedControl::~SubclassedControl() { Detach(); }

bool SubclassedControl::Attach(HWND wnd) {
    if (wnd_ || !IsWindow(wnd) || GetPropA(wnd, kControlProp)) return false;
    if (!SetPropA(wnd, kControlProp, this)) return false;
    wnd_ = wnd;
    dpi_ = WindowDpi(wnd);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassedControl::Proc)));
    if (!original_) {
        RemovePropA(wnd, kControlProp);
        wnd_ = nullptr;
        return false;
    }
    OnAttached();
    return true;
}

void SubclassedControl::Detach() {
    if (!wnd_) return;
    // Someone subclassed after us: leave their procedure in place, but stop routing to this object.
    if (GetWindowLongPtrA(wnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SubclassedControl::Proc))
        SetWindowLongPtrA(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropA(wnd_, kControlProp);
    wnd_ = nullptr;
}

SubclassedControl* SubclassedControl::Of(HWND wnd) {
    return wnd ? static_cast<SubclassedControl*>(GetPropA(wnd, kControlProp)) : nullptr;
}

void SubclassedControl::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    int old = dpi_;
    dpi_ = dpi;
    OnDpiChanged(old);
    if (wnd_) InvalidateRect(wnd_, nullptr, TRUE);
}

LRESULT SubclassedControl::CallOriginal(UINT msg, WPARAM wp, LPARAM lp) {
    return CallWindowProcA(original_, wnd_, msg, wp, lp);
}

void SubclassedControl::RedrawNow() const {
    if (!wnd_) return;
    InvalidateRect(wnd_, nullptr, FALSE);
    UpdateWindow(wnd_);
}

LRESULT CALLBACK SubclassedControl::Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = static_cast<SubclassedControl*>(GetPropA(wnd, kControlProp));
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        WNDPROC original = self->original_;
        self->Detach();
        return CallWindowProcA(original, wnd, msg, wp, lp);
    }
    // No exception may unwind through user32.
    try {
        LRESULT result = 0;
        if (self->OnMessage(msg, wp, lp, result)) return result;
    } catch (...) {
        return 0;
    }
    return self->CallOriginal(msg, wp, lp);
}
