#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/RegistryKey.h"
#include "driver/AutoRunProbe.h"
#include "driver/ProgramTest.h"
#include "resource.h"

using namespace driver;

namespace {
class StartUpTest : public ProgramTest {
protected:
    void TearDown() override {
        other_.Kill();
        ProgramTest::TearDown();
    }
    // Answers the exit question with `answer`.
    void Exit(HWND main, int answer) {
        PostClick(main, IDC_EXITBT);
        HWND box = WaitForMessageBox(app_.Pid(), 5000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(WindowTitle(box), "Mnemora");
        EXPECT_EQ(MessageBoxText(box), "Exit Mnemora? Memory will no longer be watched.");
        AnswerMessageBox(box, answer);
    }
    AppProcess other_;
};

std::string CopyProgramTo(const std::string& folderName, bool withLanguage) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string dir = std::string(temp) + folderName;
    CreateDirectoryA(dir.c_str(), nullptr);
    CopyFileA(ProgramExe().c_str(), (dir + "\\Ramvane.exe").c_str(), FALSE);
    std::string ini = dir + "\\English.ini";
    if (withLanguage)
        CopyFileA((ProgramDir() + "\\English.ini").c_str(), ini.c_str(), FALSE);
    else
        DeleteFileA(ini.c_str());
    return dir;
}

// Once initialized (its captions are set there) the window hides and stays hidden: the dialog
// manager shows a dialog the first time its queue goes empty, which may come after the hide.
void ExpectStaysHidden(HWND main) {
    ASSERT_TRUE(WaitUntil([&] { return ControlText(main, IDC_EXITBT) == "Exit"; }, kStartMs));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, 8000));
    Sleep(1000);
    RECT r{};
    GetWindowRect(main, &r);
    EXPECT_FALSE(IsWindowVisible(main)) << "shown at " << r.left << "," << r.top << "; ShowStatus "
                                        << ReadSettingDword("ShowStatus", 99);
}
}  // namespace

TEST_F(StartUpTest, SecondStartRestoresTheHiddenFirstCopyAndEnds) {
    HWND main = StartMain();
    ASSERT_NE(main, nullptr);
    Click(main, IDC_HIDEBT2);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, 5000));

    ASSERT_TRUE(other_.Start(ProgramExe()));
    DWORD code = 99;
    ASSERT_TRUE(other_.WaitExit(kStartMs, &code));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 5000));
    EXPECT_TRUE(app_.Running());
    EXPECT_EQ(FindWindowOf("Mnemora Logo", other_.Pid()), nullptr);
}

TEST_F(StartUpTest, AnArgumentMeansNoLogo) {
    ASSERT_TRUE(app_.Start(ProgramExe(), "/x"));
    bool logoSeen = false;
    HWND main = nullptr;
    WaitUntil(
        [&] {
            logoSeen = logoSeen || FindWindowOf("Mnemora Logo", app_.Pid());
            main = FindWindowOf("Mnemora", app_.Pid());
            return main && IsWindowVisible(main);
        },
        kStartMs);
    EXPECT_NE(main, nullptr);
    EXPECT_FALSE(logoSeen);
}

TEST_F(StartUpTest, LogoClosesByItselfThenTheWindowShows) {
    ASSERT_TRUE(app_.Start(ProgramExe()));
    HWND logo = WaitForWindow("Mnemora Logo", app_.Pid(), kStartMs);
    ASSERT_NE(logo, nullptr);
    // No caption and no border: the whole picture, 360 x 240 at 96 DPI, is the window.
    const int width = MulDiv(360, ScreenDpi(), 96), height = MulDiv(240, ScreenDpi(), 96);
    RECT r, client;
    GetWindowRect(logo, &r);
    GetClientRect(logo, &client);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
    SaveScreenshot(ScreenshotDir() + "\\logo.bmp");
    EXPECT_EQ(LayoutFaults(logo, {IDC_LOGO_PICTURE}), "");
    DWORD seen = GetTickCount();
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(logo); }, 10000));
    DWORD shown = GetTickCount() - seen;
    EXPECT_GE(shown, 700u);  // the timer, not something else, closed it
    EXPECT_LE(shown, 1500u + 1200u);  // 1.5 s, with room for a slow machine
    EXPECT_NE(WaitForWindow("Mnemora", app_.Pid(), kStartMs), nullptr);
}

TEST_F(StartUpTest, LogoClosesOnAKeyAndOnAClick) {
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(app_.Start(ProgramExe()));
        HWND logo = WaitForWindow("Mnemora Logo", app_.Pid(), kStartMs);
        ASSERT_NE(logo, nullptr);
        DWORD seen = GetTickCount();
        if (round == 0)
            PressKey(logo, 'A');
        else
            PostMessageA(logo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(logo); }, 10000));
        EXPECT_LT(GetTickCount() - seen, 1000u) << (round == 0 ? "key" : "click");
        HWND main = WaitForWindow("Mnemora", app_.Pid(), kStartMs);
        ASSERT_NE(main, nullptr);
        app_.Kill();
    }
}

TEST_F(StartUpTest, MissingLanguageFileShowsTheErrorAndExitsWithZero) {
    std::string dir = CopyProgramTo("mnemora_nolang", false);
    ASSERT_TRUE(app_.Start(dir + "\\Ramvane.exe", "/x"));
    HWND box = WaitForMessageBox(app_.Pid(), kStartMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowTitle(box), "Error");
    EXPECT_EQ(MessageBoxText(box), "Can't open resource file");
    AnswerMessageBox(box, IDOK);
    DWORD code = 99;
    ASSERT_TRUE(app_.WaitExit(10000, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(StartUpTest, ExitAnsweredNoKeepsRunningAndYesEnds) {
    HWND main = StartMain();
    ASSERT_NE(main, nullptr);
    Exit(main, IDNO);
    Sleep(300);
    EXPECT_TRUE(app_.Running());
    EXPECT_TRUE(IsWindowVisible(main));
    Exit(main, IDYES);
    ASSERT_TRUE(app_.WaitExit(10000));
    // The mutex went with it: a new start is a first copy again.
    EXPECT_NE(StartMain(), nullptr);
}

TEST_F(StartUpTest, FirstStartShowsDefaultsAndStoresThem) {
    HWND main = StartMain();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(IsChecked(main, IDC_CHECKSOUND));
    EXPECT_FALSE(IsChecked(main, IDC_CHECKAUTODEFRAG));
    EXPECT_TRUE(IsChecked(main, IDC_CHECKCLIPBOARD));
    EXPECT_TRUE(IsChecked(main, IDC_CHECKLOG));
    EXPECT_TRUE(IsChecked(main, IDC_CHECKAUTODEFRAGTIP));
    EXPECT_FALSE(IsEnabled(main, IDC_CHECKAUTODEFRAGTIP));
    EXPECT_EQ(ControlText(main, IDC_RAMALERT), "10");
    EXPECT_EQ(ControlText(main, IDC_HOTKEY), "C");
    EXPECT_EQ(SendMessageA(GetDlgItem(main, IDC_USERTYPE), CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageA(GetDlgItem(main, IDC_SLIDER), TBM_GETPOS, 0, 0), 4);
    EXPECT_FALSE(IsEnabled(main, IDC_SLIDER));
    EXPECT_EQ(ControlText(main, IDC_EXITBT), "Exit");
    EXPECT_EQ(ControlText(main, IDC_HELPBT), "Help");
    EXPECT_EQ(ControlText(main, IDC_TAB_BUTTON), "Advanced >>");
    SaveScreenshot(ScreenshotDir() + "\\main_first_start.bmp");

    SKIP_WITHOUT_RIGHTS();
    RegistryKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath), ERROR_SUCCESS);
    DWORD v = 0;
    EXPECT_EQ(key.QueryDword(v, "SliderPos"), ERROR_SUCCESS);
    EXPECT_EQ(v, 4u);
    EXPECT_EQ(key.QueryDword(v, "RamAlertValue"), ERROR_SUCCESS);
    EXPECT_EQ(v, 10u);
    EXPECT_EQ(key.QueryDword(v, "UserType"), ERROR_SUCCESS);
    EXPECT_EQ(v, 2u);
}

TEST_F(StartUpTest, AutoRunEntryFollowsTheMovedExecutable) {
    SKIP_WITHOUT_RIGHTS();
    ScopedWindowsVersion xp(kWindowsXP);  // from Vista on the entry moves into the log-on task
    std::string dir = CopyProgramTo("mnemora_moved", true);
    {
        RegistryKey run;
        ASSERT_EQ(run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath), ERROR_SUCCESS);
        ASSERT_EQ(run.SetString("C:\\Old place\\Ramvane.exe -PowerOn", "Ramvane"), ERROR_SUCCESS);
    }
    ASSERT_TRUE(app_.Start(dir + "\\Ramvane.exe", "/x"));
    ASSERT_NE(WaitForWindow("Mnemora", app_.Pid(), kStartMs), nullptr);
    RegistryKey run;
    ASSERT_EQ(run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath), ERROR_SUCCESS);
    std::string command;
    EXPECT_EQ(run.QueryString(command, "Ramvane"), ERROR_SUCCESS);
    EXPECT_EQ(command, dir + "\\Ramvane.exe -PowerOn");
    run.DeleteValue("Ramvane");
}

TEST_F(StartUpTest, PowerOnStartsHiddenAndCancelIsRemembered) {
    ASSERT_TRUE(app_.Start(ProgramExe(), "-PowerOn"));
    HWND main = WaitForWindow("Mnemora", app_.Pid(), kStartMs, false);
    ASSERT_NE(main, nullptr);
    ExpectStaysHidden(main);
    // Kept hidden from its own thread only: a second copy still brings it back.
    ASSERT_TRUE(other_.Start(ProgramExe(), "/x"));
    ASSERT_TRUE(other_.WaitExit(kStartMs));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 5000));
    app_.Kill();

    SKIP_WITHOUT_RIGHTS();
    main = StartMain();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, 5000));
    // Stored after the hide: wait for it, with a default that is not the value looked for.
    EXPECT_TRUE(WaitUntil([&] { return ReadSettingDword("ShowStatus", 99) == 0; }, 5000));
    app_.Kill();
    // ShowStatus 0: a start without arguments begins hidden, one with an argument shows.
    ASSERT_TRUE(app_.Start(ProgramExe()));
    main = WaitForWindow("Mnemora", app_.Pid(), kStartMs, false);
    ASSERT_NE(main, nullptr);
    ExpectStaysHidden(main);
    app_.Kill();
    EXPECT_NE(StartMain("/x"), nullptr);
}
