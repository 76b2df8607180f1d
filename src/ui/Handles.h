// Move-only owners of Win32 handles, and scope guards for DC selections.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <unknwn.h>

#include <utility>

namespace detail {
struct CloseHandleTraits { static void Free(HANDLE h) { CloseHandle(h); } };
struct ModuleTraits { static void Free(HMODULE h) { FreeLibrary(h); } };
struct IconTraits { static void Free(HICON h) { DestroyIcon(h); } };
struct MemoryDcTraits { static void Free(HDC h) { DeleteDC(h); } };
struct ImageListTraits { static void Free(HIMAGELIST h) { ImageList_Destroy(h); } };
template <class T> struct GdiTraits { static void Free(T h) { DeleteObject(h); } };
struct ComTraits { static void Free(IUnknown* p) { p->Release(); } };
}  // namespace detail

// Sole owner of one handle; null (never INVALID_HANDLE_VALUE) means empty.
template <class T, class Traits>
class UniqueOwner {
public:
    UniqueOwner() = default;
    explicit UniqueOwner(T h) : h_(h) {}
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;
    UniqueOwner(UniqueOwner&& o) noexcept : h_(o.release()) {}
    UniqueOwner& operator=(UniqueOwner&& o) noexcept { reset(o.release()); return *this; }
    ~UniqueOwner() { reset(); }

    T get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    T release() { T h = h_; h_ = nullptr; return h; }
    // Frees what it holds and lends its place to a call that stores a new one there.
    T* put() { reset(); return &h_; }
    void reset(T h = nullptr) {
        if (h_ && h_ != h) Traits::Free(h_);
        h_ = h;
    }

private:
    T h_ = nullptr;
};

using UniqueHandle = UniqueOwner<HANDLE, detail::CloseHandleTraits>;
using UniqueModule = UniqueOwner<HMODULE, detail::ModuleTraits>;
using UniqueIcon = UniqueOwner<HICON, detail::IconTraits>;
using UniqueMemoryDc = UniqueOwner<HDC, detail::MemoryDcTraits>;
using UniqueImageList = UniqueOwner<HIMAGELIST, detail::ImageListTraits>;
template <class T> using UniqueGdi = UniqueOwner<T, detail::GdiTraits<T>>;
// One reference to a COM object of interface T, released once. Every interface is held as its
// IUnknown underneath (the same pointer: interfaces derive from it alone), so the code that
// releases exists once.
template <class T>
class UniqueCom {
public:
    T* get() const { return static_cast<T*>(ref_.get()); }
    T* operator->() const { return get(); }
    explicit operator bool() const { return static_cast<bool>(ref_); }
    void reset() { ref_.reset(); }
    // Lets go without releasing: what a failed call left in the place is no reference.
    void forget() { ref_.release(); }
    // Releases what it holds and lends its place to a call that stores a new reference there.
    T** put() { return reinterpret_cast<T**>(ref_.put()); }

private:
    UniqueOwner<IUnknown*, detail::ComTraits> ref_;
};

// Window DC from GetDC, released to its window.
class WindowDc {
public:
    explicit WindowDc(HWND wnd) : wnd_(wnd), dc_(GetDC(wnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { if (dc_) ReleaseDC(wnd_, dc_); }
    HDC get() const { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// BeginPaint/EndPaint pair.
class PaintDc {
public:
    explicit PaintDc(HWND wnd) : wnd_(wnd) { dc_ = BeginPaint(wnd, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(wnd_, &ps_); }
    HDC get() const { return dc_; }
    const PAINTSTRUCT& info() const { return ps_; }

private:
    HWND wnd_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// Selects an object into a DC and restores the previous one on scope exit; never deletes.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() { if (old_) SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Saves the DC state (clip region, modes, colours) and restores it on scope exit.
class DcStateGuard {
public:
    explicit DcStateGuard(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    DcStateGuard(const DcStateGuard&) = delete;
    DcStateGuard& operator=(const DcStateGuard&) = delete;
    ~DcStateGuard() { if (saved_) RestoreDC(dc_, saved_); }

private:
    HDC dc_;
    int saved_;
};
