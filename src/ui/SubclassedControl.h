// Base of the self-drawing controls: subclasses an existing child window and
// routes its messages to a virtual handler.
#pragma once
#include <windows.h>

#include "ui/Dpi.h"

class SubclassedControl {
public:
    SubclassedControl() = default;
    SubclassedControl(const SubclassedControl&) = delete;
    SubclassedControl& operator=(const SubclassedControl&) = delete;
    // Derived destructors call Detach() themselves: no message may reach a half-destroyed object.
    virtual ~SubclassedControl();

    // Takes over `wnd`'s window procedure; false when `wnd` is not a window,
    // already belongs to a control, or this object is attached elsewhere.
    bool Attach(HWND wnd);
    // Gives the window its own procedure back; also done at WM_NCDESTROY.
    void Detach();
    HWND Handle() const { return wnd_; }
    // The control attached to `wnd`, or null.
    static SubclassedControl* Of(HWND wnd);

    // The DPI the control draws at: its window's when attached, then what its dialog tells it
    // when the window moves to a monitor of another scaling.
    int Dpi() const { return dpi_; }
    // Draws at `dpi` from now on (fonts, pens and sizes made anew); redraws when it changed.
    void SetDpi(int dpi);

protected:
    // Handles one message; true when `result` is the answer, false for the original procedure.
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) = 0;
    // Runs once the procedure is replaced.
    virtual void OnAttached() {}
    // Runs when the DPI changed from `oldDpi` to Dpi(), before the control is redrawn.
    virtual void OnDpiChanged(int oldDpi) { (void)oldDpi; }
    LRESULT CallOriginal(UINT msg, WPARAM wp, LPARAM lp);
    // Repaints the whole client area now, without erasing.
    void RedrawNow() const;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND wnd_ = nullptr;
    WNDPROC original_ = nullptr;
    int dpi_ = kBaseDpi;
};
