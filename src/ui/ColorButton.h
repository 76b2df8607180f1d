// Owner-drawn push button with six colour slots, drawn on the WM_DRAWITEM
// that its dialog reflects to it.
#pragma once
#include <windows.h>

#include "ui/SubclassedControl.h"

struct ButtonSlots {
    int background;
    int text;
};

// Slot pair for a state: pointer over or pressed 0/1, else focused 4/5, else 2/3.
ButtonSlots ChooseButtonSlots(bool pointerOver, bool pressed, bool focused);

class ColorButton : public SubclassedControl {
public:
    static constexpr int kSlotCount = 6;
    static constexpr int kRefused = 3;

    ColorButton();
    ~ColorButton() override { Detach(); }

    // Sets colour slot 0..5; 0 on success, kRefused (nothing changed) for another slot.
    int SetColor(int slot, COLORREF color, bool redraw = true);
    COLORREF Color(int slot) const { return slot >= 0 && slot < kSlotCount ? colors_[slot] : 0; }
    // Flat (the default) draws no black frame around a focused or default button.
    void SetFlat(bool flat) { flat_ = flat; }
    bool PointerOver() const { return pointerOver_; }

    // Draws the button for an owner-draw request.
    void Draw(const DRAWITEMSTRUCT& item) const;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void OnMouseMove();
    void OnMouseLeave();

    COLORREF colors_[kSlotCount];
    bool flat_ = true;
    bool pointerOver_ = false;
};
