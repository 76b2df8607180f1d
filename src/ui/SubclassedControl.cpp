#include "ui/SubclassedControl.h"

#include <utility>
#include <vector>

#include "ui/CriticalSection.h"
#include "ui/Dpi.h"

namespace {
// Which object each subclassed window routes to. A window property would do, but reading one
// is a round trip to the window server on some systems, at every message of every control;
// the program has a few dozen such windows, so a short list searched in place is cheaper.
class ControlTable {
public:
    SubclassedControl* Find(HWND wnd) {
        CriticalSection::Hold hold(lock_);
        for (const auto& entry : entries_)
            if (entry.first == wnd) return entry.second;
        return nullptr;
    }
    bool Add(HWND wnd, SubclassedControl* control) {
        CriticalSection::Hold hold(lock_);
        for (const auto& entry : entries_)
            if (entry.first == wnd) return false;
        entries_.emplace_back(wnd, control);
        return true;
    }
    void Remove(HWND wnd) {
        CriticalSection::Hold hold(lock_);
        for (auto& entry : entries_)
            if (entry.first == wnd) {
                entry = entries_.back();
                entries_.pop_back();
                return;
            }
    }

private:
    CriticalSection lock_;  // controls live on the interface thread; tests make some elsewhere
    std::vector<std::pair<HWND, SubclassedControl*>> entries_;
};

ControlTable& Controls() {
    static ControlTable& table = *new ControlTable;  // never destroyed: it outlives every control
    return table;
}
}  // namespace

SubclassedControl::~SubclassedControl() { Detach(); }

bool SubclassedControl::Attach(HWND wnd) {
    if (wnd_ || !IsWindow(wnd) || !Controls().Add(wnd, this)) return false;
    wnd_ = wnd;
    dpi_ = WindowDpi(wnd);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassedControl::Proc)));
    if (!original_) {
        Controls().Remove(wnd);
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
    Controls().Remove(wnd_);
    wnd_ = nullptr;
}

SubclassedControl* SubclassedControl::Of(HWND wnd) {
    return wnd ? Controls().Find(wnd) : nullptr;
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
    // A hidden window is painted whole when it is shown: until then a redraw would only ask
    // the window server for nothing, twice a second while the program waits in the tray.
    if (!wnd_ || !IsWindowVisible(wnd_)) return;
    InvalidateRect(wnd_, nullptr, FALSE);
    UpdateWindow(wnd_);
}

LRESULT CALLBACK SubclassedControl::Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    SubclassedControl* self = Controls().Find(wnd);
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
