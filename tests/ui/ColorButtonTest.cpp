#include <gtest/gtest.h>

#include "ui/ColorButton.h"
#include "ui/ControlTestHost.h"

namespace {
TEST(ColorButton, SlotPairForEachState) {
    struct Case {
        bool over, pressed, focused;
        int background, text;
    } cases[] = {
        {false, false, false, 2, 3}, {false, false, true, 4, 5}, {true, false, false, 0, 1},
        {true, false, true, 0, 1},   {false, true, true, 0, 1},  {false, true, false, 0, 1},
    };
    for (const Case& c : cases) {
        ButtonSlots s = ChooseButtonSlots(c.over, c.pressed, c.focused);
        EXPECT_EQ(s.background, c.background) << c.over << c.pressed << c.focused;
        EXPECT_EQ(s.text, c.text) << c.over << c.pressed << c.focused;
    }
}

TEST(ColorButton, SlotAbove5IsRefusedAndChangesNothing) {
    ColorButton button;
    EXPECT_EQ(button.SetColor(2, RGB(85, 85, 85)), 0);
    EXPECT_EQ(button.SetColor(6, RGB(1, 2, 3)), ColorButton::kRefused);
    EXPECT_EQ(button.SetColor(-1, RGB(1, 2, 3)), ColorButton::kRefused);
    EXPECT_EQ(button.Color(2), RGB(85, 85, 85));
}

class ButtonPixels : public ::testing::Test {
protected:
    testhost::Host host{120, 30};
    HWND wnd = host.AddChild("Button", "Go", BS_OWNERDRAW, {0, 0, 120, 30}, 1065);
    ColorButton button;
    testhost::Canvas canvas{120, 30};

    void SetUp() override {
        ASSERT_TRUE(button.Attach(wnd));
        const COLORREF colors[] = {RGB(85, 85, 85), RGB(255, 255, 255), RGB(85, 85, 85),
                                   RGB(255, 255, 255), RGB(0, 85, 0), RGB(0, 255, 0)};
        for (int i = 0; i < 6; ++i) button.SetColor(i, colors[i], false);
    }
    // Draws as the button asks its parent to, through the reflection.
    void Draw(UINT state) {
        DRAWITEMSTRUCT item{ODT_BUTTON, 1065, 0, ODA_DRAWENTIRE, state, wnd, canvas.Dc(), {0, 0, 120, 30}, 0};
        SendMessageA(host.Handle(), WM_DRAWITEM, 1065, reinterpret_cast<LPARAM>(&item));
    }
};

TEST_F(ButtonPixels, FocusedButtonUsesSlots4And5) {
    Draw(ODS_FOCUS);
    EXPECT_EQ(canvas.Pixel(2, 2), RGB(0, 85, 0));
    EXPECT_GT(canvas.Count(RGB(0, 255, 0), {0, 0, 120, 30}), 5);
    Draw(0);
    EXPECT_EQ(canvas.Pixel(2, 2), RGB(85, 85, 85));
    EXPECT_GT(canvas.Count(RGB(255, 255, 255), {0, 0, 120, 30}), 5);
    EXPECT_EQ(canvas.Count(RGB(0, 255, 0), {0, 0, 120, 30}), 0);
}

TEST_F(ButtonPixels, PressedButtonWithFocusUsesSlots0And1) {
    button.SetColor(0, RGB(200, 0, 0), false);
    Draw(ODS_FOCUS | ODS_SELECTED);
    EXPECT_EQ(canvas.Pixel(2, 2), RGB(200, 0, 0));
}

TEST_F(ButtonPixels, DisabledCaptionIsEmbossed) {
    Draw(ODS_DISABLED);
    EXPECT_GT(canvas.Count(GetSysColor(COLOR_3DSHADOW), {0, 0, 120, 30}), 5);
    EXPECT_GT(canvas.Count(GetSysColor(COLOR_3DHILIGHT), {0, 0, 120, 30}), 5);
}

TEST_F(ButtonPixels, NonFlatFocusedButtonGetsABlackFrame) {
    Draw(ODS_FOCUS);
    EXPECT_NE(canvas.Pixel(0, 0), RGB(0, 0, 0));
    button.SetFlat(false);
    Draw(ODS_FOCUS);
    EXPECT_EQ(canvas.Pixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(canvas.Pixel(1, 1), RGB(0, 85, 0));
}

TEST(ColorButtonHover, PointerOverStartsOnAMoveAndEndsWhenThePointerLeaves) {
    testhost::Host host(120, 30, true);
    SetForegroundWindow(host.Handle());
    SetActiveWindow(host.Handle());
    HWND wnd = host.AddChild("Button", "Go", BS_OWNERDRAW, {0, 0, 120, 30}, 1065);
    ColorButton button;
    ASSERT_TRUE(button.Attach(wnd));
    if (!GetActiveWindow()) GTEST_SKIP() << "no active window on this display";
    SendMessageA(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(button.PointerOver());
    SendMessageA(wnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(button.PointerOver());
}
}  // namespace
