#include "ui/PaintedControl.h"

#include "ui/Handles.h"

void PaintedControl::PaintTo(HDC target) {
    RECT client{};
    if (!Handle() || !GetClientRect(Handle(), &client)) return;
    if (!surface_.Matches(client.right, client.bottom) && !surface_.Create(nullptr, client.right, client.bottom))
        return;
    if (Paint(surface_.Dc(), client)) surface_.CopyTo(target);
}

bool PaintedControl::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_ERASEBKGND: result = 1; return true;
    case WM_PAINT: {
        PaintDc dc(Handle());
        PaintTo(dc.get());
        return true;
    }
    case WM_PRINTCLIENT: PaintTo(reinterpret_cast<HDC>(wp)); return true;
    default: return OnControlMessage(msg, wp, lp, result);
    }
}
