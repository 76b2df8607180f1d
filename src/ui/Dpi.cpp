#include "ui/Dpi.h"

namespace {
// Looked up: older Windows lacks them and must still load the program.
template <class Fn>
Fn User32Function(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}
}  // namespace

int WindowDpi(HWND wnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto forWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (forWindow && wnd) {
        if (UINT dpi = forWindow(wnd)) return static_cast<int>(dpi);
    }
    return ScreenDpi();
}

int SystemIconSize(int metric, int dpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    int size = forDpi ? forDpi(metric, static_cast<UINT>(dpi)) : 0;
    if (size <= 0) size = MulDiv(GetSystemMetrics(metric), dpi, ScreenDpi());
    return size > 0 ? size : ScaleToDpi(metric == SM_CXSMICON ? 16 : 32, dpi);
}

void TakeOverDialogScaling(HWND dialog) {
    using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
    static const auto setBehavior = User32Function<SetDialogDpiChangeBehaviorFn>("SetDialogDpiChangeBehavior");
    const int kDisableAll = 1;  // DDC_DISABLE_ALL
    if (setBehavior && dialog) setBehavior(dialog, kDisableAll, kDisableAll);
}
