// A memory DC with its own bitmap selected for as long as both live.
#pragma once
#include <windows.h>

#include "ui/Handles.h"

class OffscreenBitmap {
public:
    OffscreenBitmap() = default;
    OffscreenBitmap(const OffscreenBitmap&) = delete;
    OffscreenBitmap& operator=(const OffscreenBitmap&) = delete;
    ~OffscreenBitmap() { Reset(); }

    // Makes a `width` x `height` bitmap compatible with `reference` (null: the screen).
    // On failure the surface is empty.
    bool Create(HDC reference, int width, int height) {
        Reset();
        if (width <= 0 || height <= 0) return false;
        HDC screen = reference ? nullptr : GetDC(nullptr);
        HDC ref = reference ? reference : screen;
        UniqueMemoryDc dc(CreateCompatibleDC(ref));
        UniqueGdi<HBITMAP> bitmap(dc ? CreateCompatibleBitmap(ref, width, height) : nullptr);
        if (screen) ReleaseDC(nullptr, screen);
        if (!bitmap) return false;
        old_ = SelectObject(dc.get(), bitmap.get());
        dc_ = std::move(dc);
        bitmap_ = std::move(bitmap);
        width_ = width;
        height_ = height;
        return true;
    }
    // The bitmap is deselected before either object is deleted.
    void Reset() {
        if (dc_ && old_) SelectObject(dc_.get(), old_);
        old_ = nullptr;
        bitmap_.reset();
        dc_.reset();
        width_ = height_ = 0;
    }
    bool Matches(int width, int height) const { return dc_ && width == width_ && height == height_; }
    explicit operator bool() const { return static_cast<bool>(dc_); }
    HDC Dc() const { return dc_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Copies the whole bitmap to (0, 0) of `target` in one operation.
    void CopyTo(HDC target) const {
        if (dc_) BitBlt(target, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
    }

private:
    UniqueMemoryDc dc_;
    UniqueGdi<HBITMAP> bitmap_;
    HGDIOBJ old_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};
