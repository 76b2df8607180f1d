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

void MainLayout::FollowDpi(HWND wnd) {
    RECT window{}, client{};
    GetWindowRect(wnd, &window);
    GetClientRect(wnd, &client);
    const LONG frame = (window.bottom - window.top) - client.bottom;  // caption and borders
    if (expanded_) {
        full_ = window;
        compact_ = CompactRectOf(full_);
    } else {
        // The compact form is the full one's top half, truncated.
        const LONG oddRow = (full_.bottom - full_.top) % 2;
        compact_ = window;
        full_ = {window.left, window.top, window.right, window.top + 2 * (window.bottom - window.top) + oddRow};
    }
    restore_ = window;
    fullClient_ = {0, 0, client.right, (full_.bottom - full_.top) - frame};
    compactClient_ = {0, 0, client.right, (compact_.bottom - compact_.top) - frame};
}
