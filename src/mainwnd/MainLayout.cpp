#include "mainwnd/MainLayout.h"

void MainLayout::Resize(HWND wnd, const RECT& size) {
    SetWindowPos(wnd, nullptr, 0, 0, size.right - size.left, size.bottom - size.top, SWP_NOMOVE | SWP_NOZORDER);
}

void MainLayout::Start(HWND wnd) {
    GetWindowRect(wnd, &full_);
    GetClientRect(wnd, &fullClient_);
    compact_ = CompactRectOf(full_);
    Resize(wnd, compact_);
    restore_ = compact_;
    GetClientRect(wnd, &compactClient_);
}

void MainLayout::Toggle(HWND wnd) {
    expanded_ = !expanded_;
    if (!expanded_) {
        Resize(wnd, compact_);
        restore_ = compact_;
        GetClientRect(wnd, &compactClient_);
    } else {
        POINT at = CentredOrigin();
        SetWindowPos(wnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Resize(wnd, full_);
        restore_ = full_;
        GetClientRect(wnd, &fullClient_);
    }
}

void MainLayout::Restore(HWND wnd) const { Resize(wnd, restore_); }

POINT MainLayout::CentredOrigin() const {
    return ::CentredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), full_.right - full_.left,
                           full_.bottom - full_.top);
}

std::vector<Panel> MainLayout::Panels(int dpi) const {
    return BackgroundPanels(expanded_, {fullClient_.right, fullClient_.bottom},
                            {compactClient_.right, compactClient_.bottom}, dpi);
}

void MainLayout::FollowDpi(HWND wnd, int fromDpi, int toDpi) {
    // The controls scaled with the client area: the full client area scales alike, and the
    // frame around it is what the window has now.
    RECT window{}, client{};
    GetWindowRect(wnd, &window);
    GetClientRect(wnd, &client);
    const LONG frameWidth = (window.right - window.left) - client.right;
    const LONG frameHeight = (window.bottom - window.top) - client.bottom;
    fullClient_.right = MulDiv(fullClient_.right, toDpi, fromDpi);
    fullClient_.bottom = MulDiv(fullClient_.bottom, toDpi, fromDpi);
    full_ = {window.left, window.top, window.left + fullClient_.right + frameWidth,
             window.top + fullClient_.bottom + frameHeight};
    compact_ = CompactRectOf(full_);
    restore_ = expanded_ ? full_ : compact_;
    Resize(wnd, restore_);
    compactClient_ = {0, 0, fullClient_.right, (compact_.bottom - compact_.top) - frameHeight};
    GetClientRect(wnd, expanded_ ? &fullClient_ : &compactClient_);
}
