// A small balloon of our own: a text beside an icon at a point of the owner's
// client area; one tip at a time, gone on a click, a key or after a while.
#pragma once
#include <windows.h>

#include <string>

#include "ui/Handles.h"

class PresetTooltip {
public:
    PresetTooltip() = default;
    ~PresetTooltip();
    PresetTooltip(const PresetTooltip&) = delete;
    PresetTooltip& operator=(const PresetTooltip&) = delete;

    bool Create(HWND owner);
    // Shows `text` with `icon` at `clientPoint` of the owner; false while a tip is showing.
    bool Show(const std::string& text, HICON icon, POINT clientPoint);
    void Hide();
    bool Showing() const { return wnd_ && IsWindowVisible(wnd_); }
    // Sees every message of the owner's thread first, to hide on input.
    void RelayEvent(const MSG& msg);
    HWND Handle() const { return wnd_; }

    static constexpr UINT kHideAfterMs = 6000;
    static constexpr int kTextWidth = 240;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void Paint();

    HWND owner_ = nullptr;
    HWND wnd_ = nullptr;
    std::string text_;
    HICON icon_ = nullptr;  // the caller's; not destroyed here
    UniqueGdi<HFONT> font_;
};
