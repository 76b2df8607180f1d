// Base of the controls that draw themselves over a subclassed child window. WM_PAINT and
// WM_PRINTCLIENT draw through the one Paint, into an off-screen surface copied in one go, and
// the background is never erased, so a control never flickers.
#pragma once
#include <windows.h>

#include "ui/OffscreenBitmap.h"
#include "ui/SubclassedControl.h"

class PaintedControl : public SubclassedControl {
public:
    // Draws the whole client area to `target` through the surface; nothing when Paint drew nothing.
    void PaintTo(HDC target);

protected:
    // Draws the whole client area `client` (its origin 0, 0) into `dc`, the surface; false
    // when it could draw nothing (the window then keeps what it shows).
    virtual bool Paint(HDC dc, const RECT& client) = 0;
    // Every other message, as OnMessage.
    virtual bool OnControlMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
        (void)msg, (void)wp, (void)lp, (void)result;
        return false;
    }

private:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) final;

    OffscreenBitmap surface_;  // as large as the client area; made anew when that changes
};
