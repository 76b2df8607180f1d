#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "driver/TestDriver.h"
#include "mainwnd/LoadIcon.h"
#include "mainwnd/TrayIcon.h"
#include "ui/ControlTestHost.h"
#include "ui/Handles.h"
#include "resource.h"

TEST(TrayPicture, BasePictureFollowsTheUsedQuarter) {
    EXPECT_EQ(BasePictureIndex(600, 1024), 1);
    EXPECT_EQ(BasePictureIndex(512, 1024), 0);
    EXPECT_EQ(BasePictureIndex(513, 1024), 1);
    EXPECT_EQ(BasePictureIndex(768, 1024), 1);
    EXPECT_EQ(BasePictureIndex(769, 1024), 2);
    EXPECT_EQ(BasePictureIndex(0, 0), 0);
}

TEST(TrayPicture, PercentIsRaisedByOneAndMegabytesAreUsed) {
    EXPECT_EQ(TrayIconText(true, 1024 - 600, 1024), "59%");
    EXPECT_EQ(TrayIconText(true, 512, 1024), "51%");  // a whole 50 is raised too
    EXPECT_EQ(TrayIconText(false, 1024 - 9, 1024), "9");
    EXPECT_EQ(TrayIconText(false, 24, 1024), "1000");
}

TEST(TrayPicture, TextIsBlackOnlyOnAFullyColouredBackground) {
    EXPECT_EQ(TrayTextColor(RGB(255, 255, 128)), RGB(0, 0, 0));
    EXPECT_EQ(TrayTextColor(RGB(255, 0, 0)), RGB(255, 255, 255));
    EXPECT_EQ(TrayTextColor(RGB(0, 0, 0)), RGB(255, 255, 255));
}

TEST(TrayTooltip, ALongTextIsCutToTheBufferNeverPastIt) {
    char buffer[16 + 4];
    std::memset(buffer, '#', sizeof buffer);
    CopyTruncated(buffer, 16, std::string(40, 'x'));
    EXPECT_EQ(std::string(buffer), std::string(15, 'x'));
    for (size_t i = 16; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#') << "byte " << i;
    CopyTruncated(buffer, 16, "short");
    EXPECT_STREQ(buffer, "short");
    CopyTruncated(buffer, 16, std::string(15, 'y'));
    EXPECT_EQ(std::string(buffer), std::string(15, 'y'));
}

namespace {
// `icon`, which must be `side` pixels, as a shell shows it over magenta, row by row; its alpha
// must say it is opaque (a shell that draws with alpha needs no mask: Wine's tray loses it).
std::vector<COLORREF> ShownPixels(HICON icon, int side) {
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(icon, &info));
    UniqueGdi<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
    BITMAP drawn{};
    GetObjectA(color.get(), sizeof drawn, &drawn);
    EXPECT_EQ(drawn.bmWidth, side);
    EXPECT_EQ(drawn.bmHeight, side);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> bits(static_cast<size_t>(side) * side);
    WindowDc screen(nullptr);
    EXPECT_EQ(GetDIBits(screen.get(), color.get(), 0, side, bits.data(), &bi, DIB_RGB_COLORS), side);
    EXPECT_EQ(std::count_if(bits.begin(), bits.end(), [](DWORD v) { return (v >> 24) != 0xFF; }), 0);
    testhost::Canvas canvas(side, side);
    canvas.Fill(RGB(255, 0, 255));
    DrawIconEx(canvas.Dc(), 0, 0, icon, side, side, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) pixels.push_back(canvas.Pixel(x, y));
    return pixels;
}
}  // namespace

TEST(TrayPicture, DrawnAtTheSmallIconSizeWithFiguresThatFillIt) {
    // The middle base picture as the program carries it (32 and 16 pixels), drawn at the
    // shell's small-icon sizes of 96, 120, 144 and 192 DPI.
    HMODULE program = LoadLibraryExA(driver::ProgramExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    const COLORREF face = RGB(212, 208, 200);
    const struct {
        int size, rows, loaded;  // the base as a program at that DPI loads it (the system's icon size)
    } sizes[] = {{16, 12, 32}, {20, 15, 40}, {24, 18, 48}, {32, 24, 64}};
    for (const auto& s : sizes) {
        HICON base = static_cast<HICON>(
            LoadImageA(program, MAKEINTRESOURCEA(IDI_MIDDLE), IMAGE_ICON, s.loaded, s.loaded, LR_SHARED));
        ASSERT_NE(base, nullptr);
        for (const char* text : {"59%", "8%", "2048"}) {
            SCOPED_TRACE(std::to_string(s.size) + " " + text);
            EXPECT_EQ(TrayTextRows(s.size), s.rows);
            UniqueIcon icon = DrawTrayPicture(base, text, face, s.size);
            ASSERT_TRUE(icon);
            const int side = s.size;
            std::vector<COLORREF> pixels = ShownPixels(icon.get(), side);
            // The figures: black on the face colour in the text rows, across most of the width
            // and more than half the rows' height; nothing else there.
            int left = side, right = -1, top = side, bottom = -1;
            for (int y = 0; y < s.rows; ++y)
                for (int x = 0; x < side; ++x) {
                    COLORREF p = pixels[static_cast<size_t>(y) * side + x];
                    if (p == face) continue;
                    ASSERT_EQ(p, RGB(0, 0, 0)) << x << "," << y;
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
            EXPECT_GE(right - left + 1, side * 3 / 4);
            EXPECT_GT(bottom - top + 1, s.rows / 2);
            // Below them the base picture's level bar, its middle level yellow for a good third;
            // the whole picture opaque.
            EXPECT_EQ(std::count(pixels.begin(), pixels.end(), RGB(255, 0, 255)), 0);
            int yellow = 0;
            for (int x = 0; x < side; ++x) {
                COLORREF p = pixels[static_cast<size_t>(side - 2 - side / 16) * side + x];
                if (GetRValue(p) > 160 && GetGValue(p) > 160 && GetBValue(p) < 100) ++yellow;
            }
            EXPECT_GE(yellow, side / 3);
        }
    }
    FreeLibrary(program);
}

namespace {
// The tray menu as Ramvane.exe carries it (resource 132), loaded from the built program.
class TrayMenuResource {
public:
    TrayMenuResource()
        : program_(LoadLibraryExA(driver::ProgramExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)),
          menu_(program_ ? LoadMenuA(program_, MAKEINTRESOURCEA(IDR_TRAY_MENU)) : nullptr) {}
    ~TrayMenuResource() {
        if (menu_) DestroyMenu(menu_);
        if (program_) FreeLibrary(program_);
    }
    HMENU Popup() const { return menu_ ? GetSubMenu(menu_, 0) : nullptr; }

private:
    HMODULE program_;
    HMENU menu_;
};
std::string ItemText(HMENU menu, int position) {
    char text[128] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}
}  // namespace

TEST(TrayMenu, TextsByPositionWithTheDisplayModeAndAboutFixed) {
    TrayMenuResource resource;
    HMENU menu = resource.Popup();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 13);
    std::vector<std::string> texts;
    for (int i = 0; i < 13; ++i) texts.push_back("item " + std::to_string(i));
    PrepareTrayMenu(menu, texts, "Show figures in megabytes", false);
    EXPECT_EQ(ItemText(menu, 0), "item 0");
    EXPECT_EQ(ItemText(menu, 7), "item 7");
    EXPECT_EQ(ItemText(menu, 8), "Show figures in megabytes");
    EXPECT_EQ(ItemText(menu, 10), "About");
    EXPECT_EQ(ItemText(menu, 12), "item 12");
    // Each text lands on the command the language file's position names.
    const UINT commands[] = {ID_TRAY_SHOW, 0, ID_TRAY_PROCESS, ID_TRAY_SERVICE, ID_TRAY_STARTUP, ID_TRAY_CACHE, 0,
                             ID_TRAY_OPTIMIZE, ID_TRAY_DISPLAY, 0, ID_TRAY_ABOUT, ID_TRAY_HELP, ID_TRAY_EXIT};
    for (int position = 0; position < 13; ++position) {
        if (commands[position] == 0)
            EXPECT_TRUE(GetMenuState(menu, position, MF_BYPOSITION) & MF_SEPARATOR) << position;
        else
            EXPECT_EQ(GetMenuItemID(menu, position), commands[position]) << position;
    }
    EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), 0u);
    for (int position = 0; position < 13; ++position) {
        if (!TrayMenuKeepsEnabled(position)) {
            EXPECT_FALSE(GetMenuState(menu, position, MF_BYPOSITION) & MF_GRAYED) << position;
        }
    }
}

TEST(TrayMenu, DuringARunEveryCommandIsGreyed) {
    TrayMenuResource resource;
    HMENU menu = resource.Popup();
    ASSERT_NE(menu, nullptr);
    PrepareTrayMenu(menu, std::vector<std::string>(13, "x"), "mode", true);
    // The separators are left as they are (the system reports them greyed anyway).
    for (int position = 0; position < 13; ++position) {
        UINT state = GetMenuState(menu, position, MF_BYPOSITION);
        if (TrayMenuKeepsEnabled(position))
            EXPECT_TRUE(state & MF_SEPARATOR) << position;
        else
            EXPECT_TRUE(state & MF_GRAYED) << position;
    }
}
