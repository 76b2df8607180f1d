#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "driver/TestDriver.h"
#include "mainwnd/LoadIcon.h"
#include "mainwnd/TrayIcon.h"
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
    EXPECT_EQ(TrayTextX(TrayIconText(false, 1024 - 9, 1024).size()), 20);
    EXPECT_EQ(TrayTextX(std::string("59").size()), 10);
    EXPECT_EQ(TrayTextX(std::string("59%").size()), 0);
    EXPECT_EQ(TrayTextX(std::string("1000").size()), 0);
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
