// Test fixtures for drawn controls: a hidden parent window that reflects
// drawing and colour messages as the dialog base does, a 32-bit canvas whose
// pixels can be read, and the process's GDI object count.
#pragma once
#include <windows.h>
#include <winternl.h>

#include <cstdint>

#include "ui/Dialog.h"

namespace testhost {

inline LRESULT CALLBACK HostProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    HWND child = nullptr;
    if (msg == WM_DRAWITEM) child = reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem;
    if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) child = reinterpret_cast<HWND>(lp);
    if (child)
        if (LRESULT r = SendMessageA(child, kReflectBase + msg, wp, lp)) return r;
    return DefWindowProcA(wnd, msg, wp, lp);
}

// A top-level window with a client area of `width` x `height`, hidden unless asked.
class Host {
public:
    Host(int width, int height, bool visible = false) {
        static ATOM atom = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = HostProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            wc.lpszClassName = "MnemoraControlTestHost";
            return RegisterClassA(&wc);
        }();
        (void)atom;
        RECT r{0, 0, width, height};
        AdjustWindowRect(&r, WS_POPUP, FALSE);
        wnd_ = CreateWindowExA(0, "MnemoraControlTestHost", "Control test", WS_POPUP | (visible ? WS_VISIBLE : 0), 0,
                               0, r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    ~Host() { if (wnd_) DestroyWindow(wnd_); }
    HWND Handle() const { return wnd_; }

    // A child of class `cls` in `rect`.
    HWND AddChild(const char* cls, const char* text, DWORD style, RECT rect, int id) const {
        return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                               rect.right - rect.left, rect.bottom - rect.top, wnd_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    }

private:
    HWND wnd_ = nullptr;
};

// A 32-bit top-down DIB selected into a memory DC.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        Fill(RGB(1, 2, 3));
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    void Fill(COLORREF color) {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i)
            bits_[i] = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    }
    // Colour at (x, y); CLR_INVALID outside.
    COLORREF Pixel(int x, int y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
        GdiFlush();
        std::uint32_t v = bits_[y * width_ + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    // Number of pixels of `color` in the rectangle.
    int Count(COLORREF color, RECT r) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (Pixel(x, y) == color) ++n;
        return n;
    }
    // Asks `wnd` to draw its client area here, as for printing.
    void Render(HWND wnd) { SendMessageA(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT); }

private:
    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

// GDI objects held by this process. GetGuiResources is a stub under Wine
// (always 0), so then the in-process handle table that Wine maps at
// PEB.GdiSharedHandleTable is counted: 24-byte entries, type byte at 14.
inline long GdiObjectCount() {
    DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (n) return static_cast<long>(n);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"  // the TEB is read through the fs/gs segment
    const unsigned char* peb = reinterpret_cast<const unsigned char*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#pragma GCC diagnostic pop
#ifdef _WIN64
    const unsigned char* table = *reinterpret_cast<const unsigned char* const*>(peb + 0xF8);
#else
    const unsigned char* table = *reinterpret_cast<const unsigned char* const*>(peb + 0x94);
#endif
    if (!table) return -1;
    long count = 0;
    for (int i = 0; i < 0x10000; ++i)
        if (table[i * 24 + 14]) ++count;
    return count;
}

// Runs the window messages waiting for this thread.
inline void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace testhost
