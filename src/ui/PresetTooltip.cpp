#include "ui/PresetTooltip.h"

#include <algorithm>

namespace {
const char kClassName[] = "MnemoraPresetTip";
const UINT_PTR kHideTimer = 1;
const int kPad = 6;
const int kIconSize = 32;
const COLORREF kBackground = RGB(255, 255, 225);

bool RegisterTipClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSA wc{};
    wc.style = CS_SAVEBITS | CS_DROPSHADOW;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) {
        wc.style = CS_SAVEBITS;  // no drop shadow before XP
        if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    }
    registered = true;
    return true;
}
}  // namespace

PresetTooltip::~PresetTooltip() {
    if (wnd_) DestroyWindow(wnd_);
}

bool PresetTooltip::Create(HWND owner) {
    if (wnd_ || !RegisterTipClass()) return wnd_ != nullptr;
    owner_ = owner;
    wnd_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, "", WS_POPUP | WS_BORDER, 0, 0, 10, 10, owner,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!wnd_) return false;
    SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font_.reset(CreateFontIndirectA(&metrics.lfStatusFont));
    return true;
}

bool PresetTooltip::Show(const std::string& text, HICON icon, POINT clientPoint) {
    if (!wnd_ || Showing()) return false;
    text_ = text;
    icon_ = icon;
    RECT textRect = {0, 0, kTextWidth, 0};
    {
        WindowDc dc(wnd_);
        SelectGuard select(dc.get(), font_.get());
        DrawTextA(dc.get(), text_.c_str(), -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    }
    int width = kPad * 3 + kIconSize + (textRect.right - textRect.left) + 2;
    int height = kPad * 2 + std::max(kIconSize, static_cast<int>(textRect.bottom - textRect.top)) + 2;
    POINT screen = clientPoint;
    ClientToScreen(owner_, &screen);
    // Keep the tip on the screen.
    screen.x = std::min(static_cast<int>(screen.x), GetSystemMetrics(SM_CXSCREEN) - width);
    screen.y = std::min(static_cast<int>(screen.y), GetSystemMetrics(SM_CYSCREEN) - height);
    SetWindowPos(wnd_, HWND_TOPMOST, std::max(0, static_cast<int>(screen.x)), std::max(0, static_cast<int>(screen.y)), width,
                 height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(wnd_, nullptr, TRUE);
    SetTimer(wnd_, kHideTimer, kHideAfterMs, nullptr);
    return true;
}

void PresetTooltip::Hide() {
    if (!wnd_) return;
    KillTimer(wnd_, kHideTimer);
    ShowWindow(wnd_, SW_HIDE);
}

void PresetTooltip::RelayEvent(const MSG& msg) {
    if (!Showing()) return;
    switch (msg.message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_KEYDOWN:
        Hide();
        break;
    }
}

void PresetTooltip::Paint() {
    PaintDc paint(wnd_);
    HDC dc = paint.get();
    RECT client;
    GetClientRect(wnd_, &client);
    UniqueGdi<HBRUSH> brush(CreateSolidBrush(kBackground));
    FillRect(dc, &client, brush.get());
    if (icon_) DrawIconEx(dc, kPad, kPad, icon_, kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    SelectGuard select(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    RECT text = {kPad * 2 + kIconSize, kPad, client.right - kPad, client.bottom - kPad};
    DrawTextA(dc, text_.c_str(), -1, &text, DT_WORDBREAK | DT_NOPREFIX);
}

LRESULT CALLBACK PresetTooltip::Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<PresetTooltip*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (self) {
        switch (msg) {
        case WM_PAINT: self->Paint(); return 0;
        case WM_TIMER:
            if (wp == kHideTimer) self->Hide();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN: self->Hide(); return 0;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_NCDESTROY: self->wnd_ = nullptr; break;
        }
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}
