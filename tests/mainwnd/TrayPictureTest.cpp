#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mainwnd/LoadIcon.h"
#include "mainwnd/TrayIcon.h"

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
