// Static text with its own colours and font, answering the colour request
// that its dialog reflects to it.
#pragma once
#include <windows.h>

#include <string>

#include "ui/Handles.h"
#include "ui/SubclassedControl.h"

class ColorLabel : public SubclassedControl {
public:
    ColorLabel();
    ~ColorLabel() override;

    // Replaces the background brush; the label is not redrawn.
    void SetBackgroundColor(COLORREF color);
    // The setters below redraw the label at once.
    void SetTextColor(COLORREF color);
    // Character height in pixels at 96 DPI; the font is made for the label's DPI.
    void SetFontHeight(int pixels);
    void SetFontFace(const std::string& face);
    void SetText(const std::string& text);

    COLORREF TextColor() const { return textColor_; }
    const LOGFONTA& Font() const { return logFont_; }
    HFONT FontHandle() const { return font_.get(); }

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void OnAttached() override;
    void OnDpiChanged(int oldDpi) override;

private:
    void RebuildFont();
    void Redraw() const;

    COLORREF textColor_;
    UniqueGdi<HBRUSH> brush_;
    LOGFONTA logFont_{};  // the font as made, at the label's DPI
    int height_ = 0;      // the height asked for, in pixels at 96 DPI; 0: the default font's
    UniqueGdi<HFONT> font_;
};
