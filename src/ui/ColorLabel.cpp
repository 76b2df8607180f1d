#include "ui/ColorLabel.h"

#include <cstring>

#include "ui/Dialog.h"

ColorLabel::ColorLabel()
    : textColor_(GetSysColor(COLOR_WINDOWTEXT)), brush_(CreateSolidBrush(GetSysColor(COLOR_BTNFACE))) {
    if (!GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof logFont_, &logFont_)) {
        logFont_ = LOGFONTA{};
        logFont_.lfHeight = -11;
        std::strcpy(logFont_.lfFaceName, "MS Sans Serif");
    }
    font_.reset(CreateFontIndirectA(&logFont_));
}

ColorLabel::~ColorLabel() {
    // The control must not keep using a font this object is about to delete.
    if (Handle()) SendMessageA(Handle(), WM_SETFONT, 0, FALSE);
    Detach();
}

void ColorLabel::OnAttached() {
    // A height asked for before is made for the window's DPI now.
    if (height_ && Dpi() != kBaseDpi) {
        SetFontHeight(height_);
        return;
    }
    if (font_) SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

void ColorLabel::OnDpiChanged(int oldDpi) {
    logFont_.lfHeight = height_ ? -ScaleToDpi(height_, Dpi()) : MulDiv(logFont_.lfHeight, Dpi(), oldDpi);
    logFont_.lfWidth = 0;
    RebuildFont();
}

void ColorLabel::SetBackgroundColor(COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    if (brush) brush_.reset(brush);
}

void ColorLabel::SetTextColor(COLORREF color) {
    if (color == textColor_) return;
    textColor_ = color;
    Redraw();
}

void ColorLabel::SetFontHeight(int pixels) {
    height_ = pixels;
    logFont_.lfHeight = -ScaleToDpi(pixels, Dpi());
    logFont_.lfWidth = 0;
    RebuildFont();
}

void ColorLabel::SetFontFace(const std::string& face) {
    std::strncpy(logFont_.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    logFont_.lfFaceName[LF_FACESIZE - 1] = '\0';
    RebuildFont();
}

void ColorLabel::SetText(const std::string& text) {
    if (!Handle()) return;
    // The refresh sets every label twice a second; most texts have not changed.
    char current[256];
    int length = GetWindowTextA(Handle(), current, sizeof current);
    if (length < static_cast<int>(sizeof current) - 1 && text == std::string(current, static_cast<size_t>(length))) return;
    SetWindowTextA(Handle(), text.c_str());
    Redraw();
}

void ColorLabel::RebuildFont() {
    HFONT font = CreateFontIndirectA(&logFont_);
    if (!font) return;
    // Hand the control the new font before the old one is deleted.
    if (Handle()) SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    font_.reset(font);
    Redraw();
}

void ColorLabel::Redraw() const {
    if (!Handle() || !IsWindowVisible(Handle())) return;  // painted whole when shown
    InvalidateRect(Handle(), nullptr, TRUE);
    UpdateWindow(Handle());
}

bool ColorLabel::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != kReflectBase + WM_CTLCOLORSTATIC) return false;
    HDC dc = reinterpret_cast<HDC>(wp);
    if (font_) SelectObject(dc, font_.get());
    ::SetTextColor(dc, textColor_);
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(brush_.get());
    return true;
}
