#include <gtest/gtest.h>

#include <cstring>

#include "ui/ColorLabel.h"
#include "ui/ControlTestHost.h"

namespace {
TEST(ColorLabel, FontSettersRebuildTheControlsFont) {
    testhost::Host host(200, 40);
    HWND stat = host.AddChild("Static", "Title", SS_LEFT, {0, 0, 200, 20}, 1084);
    ColorLabel label;
    ASSERT_TRUE(label.Attach(stat));
    label.SetFontHeight(13);
    label.SetFontFace("Tahoma");
    EXPECT_EQ(label.Font().lfHeight, -13);
    EXPECT_STREQ(label.Font().lfFaceName, "Tahoma");
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(stat, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font, label.FontHandle());
    LOGFONTA lf{};
    ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf));
    EXPECT_EQ(lf.lfHeight, -13);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");
    // The height is for 96 DPI: at 144 and 192 the font grows, and the control shows the new one.
    const struct {
        int dpi, height;
    } heights[] = {{144, -20}, {192, -26}, {96, -13}};  // 19.5 rounds up
    for (const auto& h : heights) {
        label.SetDpi(h.dpi);
        EXPECT_EQ(label.Font().lfHeight, h.height) << h.dpi;
        ASSERT_TRUE(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(stat, WM_GETFONT, 0, 0)), sizeof lf, &lf));
        EXPECT_EQ(lf.lfHeight, h.height) << h.dpi;
    }
    label.SetDpi(192);
    label.SetFontHeight(11);
    EXPECT_EQ(label.Font().lfHeight, -22);
    label.SetDpi(96);
    // A face name longer than the field is cut, not overrun.
    label.SetFontFace(std::string(100, 'A'));
    EXPECT_EQ(std::strlen(label.Font().lfFaceName), static_cast<size_t>(LF_FACESIZE - 1));
}

TEST(ColorLabel, AnswersItsParentsColourRequestWithItsBrushAndTextColour) {
    testhost::Host host(200, 40);
    HWND stat = host.AddChild("Static", "MMMMMMMM", SS_LEFT, {0, 0, 200, 24}, 1097);
    ColorLabel label;
    ASSERT_TRUE(label.Attach(stat));
    label.SetBackgroundColor(RGB(0, 0, 0));
    label.SetTextColor(RGB(255, 238, 255));
    label.SetFontHeight(16);
    label.SetText("MMMMMMMM");
    testhost::Canvas canvas(200, 24);
    canvas.Render(stat);
    EXPECT_EQ(canvas.Pixel(190, 12), RGB(0, 0, 0));
    EXPECT_GT(canvas.Count(RGB(255, 238, 255), {0, 0, 120, 24}), 20);
    char text[32] = {};
    GetWindowTextA(stat, text, sizeof text);
    EXPECT_STREQ(text, "MMMMMMMM");
}
}  // namespace
