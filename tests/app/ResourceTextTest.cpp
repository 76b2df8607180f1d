#include "app/ResourceText.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "app/ProgramPath.h"

namespace {
// The lookup reads English.ini beside the running executable (the test program),
// else in the Windows directory.
class ResourceTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        beside_ = ProgramFilePath("English.ini");
        char dir[MAX_PATH];
        GetWindowsDirectoryA(dir, sizeof dir);
        windows_ = std::string(dir) + "\\English.ini";
        TearDown();
    }
    void TearDown() override {
        DeleteFileA(beside_.c_str());
        DeleteFileA(windows_.c_str());
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string beside_, windows_;
};
}  // namespace

TEST_F(ResourceTextTest, PrefersTheFileBesideTheExecutable) {
    Write(windows_, "[Resource]\r\nTitle1=windows\r\n");
    EXPECT_EQ(Lang("Title1"), "windows");
    EXPECT_EQ(FindLanguageFile(), windows_);
    Write(beside_, "[Resource]\r\nTitle1=beside\r\n");
    EXPECT_EQ(Lang("Title1"), "beside");
    EXPECT_EQ(GetResourceText("Memlull.ini", "Title1"), "beside");
}

TEST_F(ResourceTextTest, MissingKeysAndSectionsGiveEmptyTexts) {
    Write(beside_, "Title1=no section\r\n[Other]\r\nTitle2=other\r\n[Resource]\r\ntitle3=lower\r\nTitle4 =blank\r\n");
    EXPECT_EQ(Lang("Title1"), "");
    EXPECT_EQ(Lang("Title2"), "");
    EXPECT_EQ(Lang("Title3"), "");
    EXPECT_EQ(Lang("Title4"), "");
}

TEST_F(ResourceTextTest, AChangedFileIsSeenByTheNextLookup) {
    Write(beside_, "[Resource]\r\nTitle1=first\r\n");
    EXPECT_EQ(Lang("Title1"), "first");
    Write(beside_, "[Resource]\r\nTitle1=second, longer\r\n");
    EXPECT_EQ(Lang("Title1"), "second, longer");
    // Same size, new contents: the write time tells them apart.
    Write(beside_, "[Resource]\r\nTitle1=third, longer\r\n");
    HANDLE f = CreateFileA(beside_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    FILETIME t;
    GetFileTime(f, nullptr, nullptr, &t);
    t.dwLowDateTime += 10000000;  // one second later
    SetFileTime(f, nullptr, nullptr, &t);
    CloseHandle(f);
    EXPECT_EQ(Lang("Title1"), "third, longer");
    // One window's initialization reads the file once; the lookup after it reads it again.
    LanguageBatch(true);
    EXPECT_EQ(Lang("Title1"), "third, longer");
    Write(beside_, "[Resource]\r\nTitle1=fourth\r\n");
    EXPECT_EQ(Lang("Title1"), "third, longer");
    LanguageBatch(false);
    EXPECT_EQ(Lang("Title1"), "fourth");
}

TEST_F(ResourceTextTest, AnswersAsAFreshReadWouldWhateverSizeAndTimeSay) {
    Write(beside_, "[Resource]\r\nTitle1=first!\r\n");
    EXPECT_EQ(Lang("Title1"), "first!");
    // Same size and the same write time (a change within the clock's resolution).
    FILETIME t;
    {
        HANDLE f = CreateFileA(beside_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        GetFileTime(f, nullptr, nullptr, &t);
        CloseHandle(f);
    }
    Write(beside_, "[Resource]\r\nTitle1=second\r\n");
    HANDLE f = CreateFileA(beside_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    SetFileTime(f, nullptr, nullptr, &t);
    // While the file cannot be read, texts are empty, as a fresh read would give them...
    EXPECT_EQ(Lang("Title1"), "");
    CloseHandle(f);
    // ...and that failure is not kept: the next lookup reads the file again.
    EXPECT_EQ(Lang("Title1"), "second");
}
