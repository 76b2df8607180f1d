#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/LogonTask.h"
#include "app/RegistryKey.h"
#include "driver/AutoRunProbe.h"
#include "driver/ProgramTest.h"
#include "driver/TestDriver.h"
#include "driver/ToolWindows.h"
#include "mainwnd/TrayIcon.h"
#include "probes/OsVersion.h"
#include "resource.h"

using namespace driver;

namespace {
const char kSaveMessage[] = "The settings have been saved.";
const char kRangeMessage[] = "Enter a percentage from 1 to 75.";
const char kCpuHighMessage[] = "The processor is busy. Try the optimization again when the load is lower.";
const UINT kTrayNotify = 0x1105;
// Wine's per-program settings, where a test may make the program see Windows 98.
const char kAppDefaults[] = "Software\\Wine\\AppDefaults\\Ramvane.exe";

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        KillStrays();
        DeleteKeyTree(HKEY_CURRENT_USER, kAppDefaults);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
        RegistryKey run;
        if (run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath) == ERROR_SUCCESS) run.DeleteValue("Ramvane");
        DeleteLogonTask();
        WriteSettingDword("BuildReport", 0);
        WriteSettingDword("SliderPos", 1);
    }
    void TearDown() override {
        app_.Kill();
        other_.Kill();
        JoinTyping();
        SetUp();
    }
    HWND Start(const std::string& args = "/x", bool visible = true, const std::string& exe = ProgramExe()) {
        EXPECT_TRUE(app_.Start(exe, args));
        HWND main = WaitForWindow("Mnemora", app_.Pid(), kStartMs, visible);
        EXPECT_NE(main, nullptr);
        // The first refresh shows the modal loop is running: keys and commands now reach it.
        EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_CLOCK).find(':') != std::string::npos; }, 5000));
        return main;
    }
    // The box the window shows next, with its text checked; answered with `button`.
    void ExpectBox(const std::string& caption, const std::string& text, int button = IDOK, const char* shot = nullptr) {
        HWND box = WaitForMessageBox(app_.Pid(), 5000);
        ASSERT_NE(box, nullptr) << "no box saying: " << text;
        EXPECT_EQ(WindowTitle(box), caption);
        EXPECT_EQ(MessageBoxText(box), text);
        if (shot) {
            Sleep(200);
            SaveScreenshot(ScreenshotDir() + "\\" + shot);
        }
        AnswerMessageBox(box, button);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
    }
    // Ticks or unticks a check box, then lets the window see the click without waiting for it.
    static void PostToggle(HWND dlg, int id) {
        HWND box = GetDlgItem(dlg, id);
        bool checked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
        SendMessageA(box, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
        PostClick(dlg, id);
    }
    bool NoBoxFor(DWORD ms) { return WaitForMessageBox(app_.Pid(), ms) == nullptr; }
    // The edit's change notification may open a modal box: send the text from another thread.
    void TypeThreshold(HWND main, const std::string& text) {
        std::thread typing([=] { SetControlText(main, IDC_RAMALERT, text); });
        typing_.push_back(std::move(typing));
    }
    void JoinTyping() {
        for (auto& t : typing_) t.join();
        typing_.clear();
    }
    bool RunStarted(HWND main, DWORD ms) {
        return WaitUntil([&] { return ControlText(main, IDC_PERCENT) != "0 %"; }, ms);
    }
    // Triggers a run that is refused at a processor load of 76 % or more. The machine itself
    // may be busy for a moment: a refusal is then right, so answer it and try again.
    bool StartedDespiteABusyMachine(HWND main, const std::function<void()>& trigger) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            trigger();
            HWND box = nullptr;
            WaitUntil([&] { return ControlText(main, IDC_PERCENT) != "0 %" || (box = WaitForMessageBox(app_.Pid(), 0)); },
                      10000);
            if (ControlText(main, IDC_PERCENT) != "0 %") return true;
            if (!box) return false;
            EXPECT_EQ(MessageBoxText(box), kCpuHighMessage);
            AnswerMessageBox(box, IDOK);
            WaitUntil([&] { return !IsWindow(box); }, 3000);
            Sleep(1000);
        }
        return false;
    }
    bool RunEnded(HWND main, DWORD ms) {
        return WaitUntil([&] { return ControlText(main, IDC_PERCENT) == "0 %" && IsEnabled(main, IDC_LZL_BUTTON); }, ms);
    }
    AppProcess app_, other_;
    std::vector<std::thread> typing_;
};

// Asks the notification area whether the window's icon is there: modifying a missing one fails.
bool TrayIconPresent(HWND owner) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = owner;
    data.uID = kTrayIconId;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// A threshold at which this machine counts as low on memory: the highest the window
// allows, or, on a machine with more than that free, a stored value above the range.
void MakeMemoryLow() {
    MEMORYSTATUSEX s{};
    s.dwLength = sizeof s;
    GlobalMemoryStatusEx(&s);
    double freePercent = 100.0 * static_cast<double>(s.ullAvailPhys) / static_cast<double>(s.ullTotalPhys);
    WriteSettingDword("RamAlertValue", freePercent < 70 ? 75 : 100);
}

// Keeps every processor busy while it lives.
class Burner {
public:
    Burner() {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        for (DWORD i = 0; i < si.dwNumberOfProcessors; ++i)
            threads_.emplace_back([this] {
                volatile unsigned long long n = 0;
                while (!stop_) n = n + 1;
            });
    }
    ~Burner() {
        stop_ = true;
        for (auto& t : threads_) t.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};
}  // namespace

// The start with Windows as each line keeps it: the Run value before Vista, the log-on task
// (its file as Windows keeps it, through the test build) from Vista on.
TEST_F(CommandsTest, SaveWritesEverySettingAndTellsTheUser) {
    SKIP_WITHOUT_RIGHTS();
    const std::string exe = TestProgramDir() + "\\Ramvane.exe";
    for (const char* version : {kWindowsXP, kWindows10}) {
        SCOPED_TRACE(version);
        SetUp();  // each line from the same stored settings
        const bool task = version == kWindows10;
        ScopedWindowsVersion windows(version);
        HWND main = Start("/x", true, exe);
        ASSERT_NE(main, nullptr);
        // Start-up stored the window's values silently: remove them so the save must write each.
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
        WriteSettingDword("ShowStatus", 1);
        EXPECT_FALSE(IsEnabled(main, IDC_BUTTONSAVERAM));
        Click(main, IDC_CHECKSOUND);  // sound off
        Click(main, IDC_CHECKAUTODEFRAG);  // automatic on
        Click(main, IDC_CHECKCLIPBOARD);  // clipboard off
        SetControlText(main, IDC_HOTKEY, "Q");
        PostToggle(main, IDC_CHECKAUTORUN);  // on: no warning, it was last read as off
        EXPECT_TRUE(NoBoxFor(500));
        ASSERT_TRUE(IsEnabled(main, IDC_BUTTONSAVERAM));
        PostClick(main, IDC_BUTTONSAVERAM);
        ExpectBox("Mnemora", kSaveMessage);
        // The handler disables Save once the box has returned: wait for it, with a bound.
        EXPECT_TRUE(WaitUntil([&] { return !IsEnabled(main, IDC_BUTTONSAVERAM); }, 3000));

        EXPECT_EQ(ReadSettingDword("UserType"), 2u);
        EXPECT_EQ(ReadSettingDword("SoundAlert", 99), 0u);
        EXPECT_EQ(ReadSettingDword("AutoDefrag"), 1u);
        EXPECT_EQ(ReadSettingDword("CleanClipBoard", 99), 0u);
        EXPECT_EQ(ReadSettingDword("RamAlertValue"), 10u);
        EXPECT_EQ(ReadSettingDword("SliderPos"), 1u);
        EXPECT_EQ(ReadSettingDword("BuildReport", 99), 0u);
        EXPECT_EQ(ReadSettingDword("NoticeDialog"), 1u);
        RegistryKey program;
        DWORD logo = 99;
        ASSERT_EQ(program.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath, KEY_READ), ERROR_SUCCESS);
        EXPECT_EQ(program.QueryDword(logo, "DisableLogo"), ERROR_SUCCESS);
        EXPECT_LE(logo, 1u);
        EXPECT_EQ(ReadSettingString("HotKey"), "Q");
        RegistryKey run;
        ASSERT_EQ(run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath, KEY_READ), ERROR_SUCCESS);
        std::string entry;
        EXPECT_EQ(run.QueryString(entry, "Ramvane") == ERROR_SUCCESS, !task);
        const std::string definition = TaskFileText();
        if (task) {
            const std::string user = "<UserId>" + EnvText("USERDOMAIN") + "\\" + EnvText("USERNAME") + "</UserId>";
            for (const std::string& f : {"<LogonTrigger>\n      <Enabled>true</Enabled>\n      " + user,
                                         std::string("<RunLevel>HighestAvailable</RunLevel>"),
                                         "<Command>" + exe + "</Command>", std::string("<Arguments>-PowerOn</Arguments>"),
                                         std::string("<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>"),
                                         std::string("<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"),
                                         std::string("<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>")})
                EXPECT_NE(definition.find(f), std::string::npos) << f << " in " << definition;
        } else {
            EXPECT_EQ(entry, exe + " -PowerOn");
            EXPECT_EQ(definition, "");
        }

        // Unticking auto-run warns (the member was last read as on) and the save removes it.
        PostToggle(main, IDC_CHECKAUTORUN);
        ExpectBox("Mnemora", "Mnemora will no longer start with Windows once you save.");
        PostClick(main, IDC_BUTTONSAVERAM);
        ExpectBox("Mnemora", kSaveMessage);
        EXPECT_NE(run.QueryString(entry, "Ramvane"), ERROR_SUCCESS);
        EXPECT_EQ(TaskFileText(), "");
        app_.Kill();
    }
}

TEST_F(CommandsTest, ThresholdIsKeptBetween1And75) {
    WriteSettingDword("AutoDefrag", 1);
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ControlText(main, IDC_RAMALERT), "10");
    EXPECT_TRUE(IsEnabled(main, IDC_RAMALERT));
    TypeThreshold(main, "80");
    ExpectBox("Mnemora", kRangeMessage);
    JoinTyping();
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_RAMALERT) == "75"; }, 3000));
    TypeThreshold(main, "0");
    ExpectBox("Mnemora", kRangeMessage);
    JoinTyping();
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_RAMALERT) == "1"; }, 3000));
    TypeThreshold(main, "");
    ExpectBox("Mnemora", kRangeMessage);
    JoinTyping();
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_RAMALERT) == "1"; }, 3000));
    TypeThreshold(main, "007");
    JoinTyping();
    EXPECT_TRUE(NoBoxFor(700));
    EXPECT_EQ(ControlText(main, IDC_RAMALERT), "7");
    EXPECT_TRUE(IsEnabled(main, IDC_BUTTONSAVERAM));
    // The edit stays usable while either low-memory action is on.
    Click(main, IDC_CHECKSOUND);
    EXPECT_TRUE(IsEnabled(main, IDC_RAMALERT));
    Click(main, IDC_CHECKAUTODEFRAG);
    EXPECT_FALSE(IsEnabled(main, IDC_RAMALERT));
    EXPECT_FALSE(IsEnabled(main, IDC_CHECKAUTODEFRAGTIP));
    Click(main, IDC_CHECKSOUND);
    EXPECT_TRUE(IsEnabled(main, IDC_RAMALERT));
}

TEST_F(CommandsTest, CancelHidesTheRunningCopyAndExitMakesTheNextStartHidden) {
    HWND main = Start("");
    ASSERT_NE(main, nullptr);
    PressKeyWhereFocused(main, VK_ESCAPE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, 5000));
    EXPECT_TRUE(TrayIconPresent(main));
    SKIP_WITHOUT_RIGHTS();
    // Stored after the hide: wait for it, with a default that is not the value looked for.
    EXPECT_TRUE(WaitUntil([&] { return ReadSettingDword("ShowStatus", 99) == 0; }, 5000));
    // A second start restores the hidden copy and ends.
    ASSERT_TRUE(other_.Start(ProgramExe()));
    DWORD code = 99;
    EXPECT_TRUE(other_.WaitExit(kStartMs, &code));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 5000));

    // Exit answered No keeps the program and its tray icon; Yes ends it and removes the icon.
    PostClick(main, IDC_EXITBT);
    ExpectBox("Mnemora", "Exit Mnemora? Memory will no longer be watched.", IDNO, "exit_confirmation.bmp");
    EXPECT_TRUE(app_.Running());
    EXPECT_TRUE(TrayIconPresent(main));
    PostMessageA(main, WM_COMMAND, ID_TRAY_EXIT, 0);
    ExpectBox("Mnemora", "Exit Mnemora? Memory will no longer be watched.", IDYES);
    EXPECT_TRUE(app_.WaitExit(5000));
    EXPECT_FALSE(TrayIconPresent(main));

    main = Start("", false);
    ASSERT_NE(main, nullptr);
    // Placed off screen first, then hidden and centred by a timer.
    EXPECT_TRUE(WaitUntil([&] {
        RECT at;
        GetWindowRect(main, &at);
        return !IsWindowVisible(main) && at.left >= 0;
    }, 5000));
    EXPECT_TRUE(TrayIconPresent(main));
    // Hidden and centred as the full window (twice the compact height) would be.
    RECT r;
    GetWindowRect(main, &r);
    int compactHeight = r.bottom - r.top;
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
    EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - 2 * compactHeight) / 2, 1);
    // The tray's show command brings it back and remembers that.
    PostMessageA(main, WM_COMMAND, ID_TRAY_SHOW, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return ReadSettingDword("ShowStatus") == 1; }, 2000));
}

TEST_F(CommandsTest, HotKeyStartsARunUnlessTheProcessorIsBusy) {
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_HOTKEY, 0x2005, 0);  // another identifier: ignored
    EXPECT_FALSE(RunStarted(main, 800));
    EXPECT_TRUE(StartedDespiteABusyMachine(main, [&] { PostMessageA(main, WM_HOTKEY, 0x2006, 0); }));
    EXPECT_TRUE(RunEnded(main, 30000));

    // The 9x line's load comes from HKEY_DYN_DATA, which Wine lacks: no load is ever high there.
    if (IsWindows9x()) GTEST_SKIP() << "Wine has no processor statistics of the 9x line";
    Burner burn;
    Sleep(1500);  // two refreshes: the load sample covers only busy time
    PostMessageA(main, WM_HOTKEY, 0x2006, 0);
    ExpectBox("Mnemora", kCpuHighMessage);
    EXPECT_EQ(ControlText(main, IDC_PERCENT), "0 %");
}

TEST_F(CommandsTest, LowMemoryAsksFirstAndADeclinedPromptStaysQuiet) {
    WriteSettingDword("AutoDefrag", 1);
    WriteSettingDword("NoticeDialog", 1);
    WriteSettingDword("SoundAlert", 1);  // no sound device under Wine: the tick must go on
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    MakeMemoryLow();
    // Asked only while the processor load is below 75: allow for a busy machine.
    HWND query = WaitForWindow("Free memory is low", app_.Pid(), 20000);
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(ControlText(query, IDOK), "Optimize");
    EXPECT_EQ(ControlText(query, IDCANCEL), "Not now");
    // The load figure follows the main window's processor line.
    EXPECT_TRUE(WaitUntil([&] { return ControlText(query, IDC_CPUSTATUS).find('%') != std::string::npos; }, 3000));
    EXPECT_EQ(RoundedFrameMismatch(query), "");
    EXPECT_EQ(LayoutFaults(query), "");
    Sleep(300);
    SaveScreenshot(ScreenshotDir() + "\\low_memory_query.bmp");
    PostClick(query, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(query); }, 5000));
    EXPECT_EQ(ControlText(main, IDC_PERCENT), "0 %");
    EXPECT_EQ(FindWindowOf("Free memory is low", app_.Pid()), nullptr);
    Sleep(2500);
    EXPECT_EQ(FindWindowOf("Free memory is low", app_.Pid()), nullptr) << "a declined prompt came back";
    EXPECT_TRUE(app_.Running());

    // Saving re-arms it: the next low tick asks again; this time the answer is yes.
    SKIP_WITHOUT_RIGHTS();
    PostClick(main, IDC_BUTTONSAVERAM);
    ExpectBox("Mnemora", kSaveMessage);
    MakeMemoryLow();  // the save stored the edit's value
    query = WaitForWindow("Free memory is low", app_.Pid(), 20000);
    ASSERT_NE(query, nullptr);
    EXPECT_TRUE(StartedDespiteABusyMachine(main, [&] { PostClick(query, IDOK); }));
}

TEST_F(CommandsTest, LowMemoryWithoutTheDialogStartsARunAtOnce) {
    WriteSettingDword("AutoDefrag", 1);
    WriteSettingDword("NoticeDialog", 0);
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    // What the silent save stored (nothing where the rights are refused).
    DWORD clipboard = ReadSettingDword("CleanClipBoard", 99);
    MakeMemoryLow();
    EXPECT_TRUE(RunStarted(main, 20000));
    EXPECT_EQ(FindWindowOf("Free memory is low", app_.Pid()), nullptr);
    EXPECT_FALSE(IsEnabled(main, IDC_LZL_BUTTON));
    // The stored clipboard choice survives the automatic run.
    EXPECT_EQ(ReadSettingDword("CleanClipBoard", 99), clipboard);
    WriteSettingDword("AutoDefrag", 0);
    EXPECT_TRUE(RunEnded(main, 30000));
    EXPECT_EQ(ReadSettingDword("CleanClipBoard", 99), clipboard);
}

TEST_F(CommandsTest, ExitDuringAnAutomaticRunEndsTheProgramCleanly) {
    WriteSettingDword("AutoDefrag", 1);
    WriteSettingDword("NoticeDialog", 0);
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    MakeMemoryLow();
    ASSERT_TRUE(RunStarted(main, 20000));
    WriteSettingDword("AutoDefrag", 0);
    // The worker stops between its steps; the process ends by itself, with code 0.
    PostClick(main, IDC_EXITBT);
    ExpectBox("Mnemora", "Exit Mnemora? Memory will no longer be watched.", IDYES);
    DWORD code = 1;
    EXPECT_TRUE(app_.WaitExit(10000, &code));
    EXPECT_EQ(code, 0u);
}

TEST_F(CommandsTest, TrayMenuAndItsCommands) {
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(TrayIconPresent(main));
    // Right click on the icon: the menu of the tray.
    PostMessageA(main, kTrayNotify, kTrayIconId, WM_RBUTTONUP);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); }, 5000));
    Sleep(300);
    SaveScreenshot(ScreenshotDir() + "\\tray_menu.bmp");
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, 3000));

    // Display mode: the tray command flips it and stores it.
    EXPECT_EQ(ControlText(main, IDC_CHECKPERCENT), "%");
    PostMessageA(main, WM_COMMAND, ID_TRAY_DISPLAY, 0);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_CHECKPERCENT) == "MB"; }, 3000));
    if (!RightsRefused()) {
        EXPECT_EQ(ReadSettingDword("Perch"), 1u);
    }
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_PHYSICAL_TEXT).find('%') != std::string::npos; }, 3000))
        << ControlText(main, IDC_PHYSICAL_TEXT);
    PostMessageA(main, WM_COMMAND, ID_TRAY_DISPLAY, 0);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_CHECKPERCENT) == "%"; }, 3000));
    if (!RightsRefused()) {
        EXPECT_EQ(ReadSettingDword("Perch"), 0u);
    }

    // About box with its two links.
    PostMessageA(main, WM_COMMAND, ID_TRAY_ABOUT, 0);
    HWND about = WaitForWindow("About", app_.Pid(), 5000);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(ControlText(about, IDC_VERSIONTEXT), "Mnemora Version:" MNEMORA_VERSION_TEXT);
    EXPECT_FALSE(ControlText(about, IDC_WEBSITE_LINK).empty());
    EXPECT_FALSE(ControlText(about, IDC_MAIL_LINK).empty());
    EXPECT_EQ(RoundedFrameMismatch(about), "");
    Sleep(300);
    SaveScreenshot(ScreenshotDir() + "\\about.bmp");
    EXPECT_EQ(LayoutFaults(about, {IDC_WEBSITE_LINK, IDC_MAIL_LINK}), "");
    // On a monitor of twice the scaling the links' own font grows with the rest.
    const int dpi = ScreenDpi();
    const LONG link = DrawnExtent(GetDlgItem(about, IDC_WEBSITE_LINK)).bottom;
    ASSERT_TRUE(SendDpiChanged(about, 2 * dpi, ScaledWindowRect(about, dpi, 2 * dpi)));
    Sleep(300);
    EXPECT_EQ(LayoutFaults(about, {IDC_WEBSITE_LINK, IDC_MAIL_LINK}), "");
    EXPECT_GE(DrawnExtent(GetDlgItem(about, IDC_WEBSITE_LINK)).bottom * 4, link * 7);
    PostClick(about, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, 5000));

    // A tool window warns first: Cancel opens nothing, OK opens it, and the same command
    // while it is open neither warns nor opens a second one.
    PostMessageA(main, WM_COMMAND, ID_TRAY_SERVICE, 0);
    HWND box = WaitForMessageBox(app_.Pid(), 5000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box),
              "This tool changes system settings. Continue only if you know what the changes do.");
    Sleep(200);
    SaveScreenshot(ScreenshotDir() + "\\tool_warning.bmp");
    AnswerMessageBox(box, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
    EXPECT_EQ(WaitForWindow("Service manager", app_.Pid(), 1000), nullptr);
    PostMessageA(main, WM_COMMAND, ID_TRAY_SERVICE, 0);
    ExpectBox("Mnemora", "This tool changes system settings. Continue only if you know what the changes do.", IDOK);
    HWND services = WaitForWindow("Service manager", app_.Pid(), 10000);
    ASSERT_NE(services, nullptr);
    PostMessageA(main, WM_COMMAND, ID_TRAY_SERVICE, 0);
    EXPECT_TRUE(NoBoxFor(1000));
    EXPECT_EQ(FindWindowOf("Service manager", app_.Pid()), services);
    PostClick(services, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(services); }, 5000));

    // Hide, then the double click on the icon shows the window again.
    Click(main, IDC_HIDEBT2);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, 3000));
    PostMessageA(main, kTrayNotify, kTrayIconId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 3000));

    // The optimize command of the tray runs without the load check.
    PostMessageA(main, WM_COMMAND, ID_TRAY_OPTIMIZE, 0);
    EXPECT_TRUE(RunStarted(main, 3000));
    EXPECT_TRUE(RunEnded(main, 30000));
}

// Each tool window and the about box, from the shown window's buttons and from the tray
// menu while the window is hidden: owned by the main window, which takes no input meanwhile.
TEST_F(CommandsTest, ToolWindowsAreOwnedByTheMainWindowWhichWaitsForThem) {
    WriteSettingDword("OtherFunctionTips", 1);  // no warning before each tool
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    for (bool fromTray : {false, true}) {
        if (fromTray) {
            Click(main, IDC_HIDEBT2);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, 5000));
        }
        for (const ToolWindow& w : kToolWindows) {
            if (fromTray && !w.trayCommand) continue;
            // The 9x line has no memory-module window: OnThe9xLine... checks what it says instead.
            if (w.button == IDC_MEMHDINFOBT && IsWindows9x()) continue;
            SCOPED_TRACE(std::string(w.title) + (fromTray ? " from the tray" : " from the window"));
            if (fromTray)
                PostMessageA(main, WM_COMMAND, w.trayCommand, 0);
            else
                PostClick(main, w.button);
            HWND tool = WaitForWindow(w.title, app_.Pid(), 20000);
            ASSERT_NE(tool, nullptr);
            EXPECT_EQ(GetWindow(tool, GW_OWNER), main);
            EXPECT_FALSE(IsWindowEnabled(main));
            PostClick(tool, w.close);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindow(tool); }, 5000));
            EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, 3000));
        }
    }
    EXPECT_FALSE(IsWindowVisible(main));
}

TEST_F(CommandsTest, TheTrayIconAfterTheTaskbarComesBack) {
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(TrayIconPresent(main));
    // Pretend the shell restarted: the icon is gone until the window adds it again.
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = main;
    data.uID = kTrayIconId;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    EXPECT_FALSE(TrayIconPresent(main));
    PostMessageA(main, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return TrayIconPresent(main); }, 3000));
    Sleep(1200);
    SaveScreenshot(ScreenshotDir() + "\\tray_icon.bmp");
}

// The same program as Windows 98 sees it: figures from the 9x calls, and the tools that
// need the NT line say so.
TEST_F(CommandsTest, OnThe9xLineTheWindowRunsAndModuleInfoExplainsItself) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
    RegCloseKey(key);
    HWND main = Start();
    if (main) {
        EXPECT_EQ(ControlText(main, IDC_PHYSICAL_TEXT).rfind("Physical memory free: ", 0), 0u)
            << ControlText(main, IDC_PHYSICAL_TEXT);
        EXPECT_EQ(ControlText(main, IDC_CPUNUMBER).rfind("- Processors:", 0), 0u);
        PostClick(main, IDC_MEMHDINFOBT);
        ExpectBox("Mnemora", "This function needs Windows NT, 2000 or XP.");
        // A run works the same way on this line.
        PostMessageA(main, WM_COMMAND, ID_TRAY_OPTIMIZE, 0);
        EXPECT_TRUE(RunStarted(main, 5000));
        EXPECT_TRUE(RunEnded(main, 30000));
    }
}
