// The main window's two sizes: compact (the figures alone) and expanded (the settings below
// them), the size to show it at again, and the panels its background paints for each.
#pragma once
#include <windows.h>

#include <vector>

#include "mainwnd/MainGeometry.h"

class MainLayout {
public:
    // Takes `wnd`'s size as created, the expanded one, and makes the window compact.
    void Start(HWND wnd);
    // Folds or unfolds `wnd`; unfolding centres it on the screen.
    void Toggle(HWND wnd);
    bool Expanded() const { return expanded_; }
    // Gives `wnd` back the size it had when it was hidden.
    void Restore(HWND wnd) const;
    // Top-left corner that centres the expanded window on the screen, so unfolding a window
    // placed there keeps it on screen.
    POINT CentredOrigin() const;
    // The background's panels for the current size, at `dpi`.
    std::vector<Panel> Panels(int dpi) const;
    // `wnd` moved to a monitor of another DPI and took the size the system suggested: that is
    // now the size of the form it shows, and the other form's size follows from it.
    void FollowDpi(HWND wnd);

private:
    static void Resize(HWND wnd, const RECT& size);

    bool expanded_ = false;
    RECT full_{}, compact_{}, restore_{};  // window rectangles
    RECT fullClient_{}, compactClient_{};  // client rectangles, as last seen at each size
};
