// The process manager in the running program, driven from outside like a user would.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <regex>
#include <string>

#include "app/RegistryKey.h"
#include "driver/RemoteList.h"
#include "driver/ProgramTest.h"
#include "probes/OsVersion.h"
#include "procmgr/ProcessRows.h"
#include "resource.h"
#include "ui/Handles.h"

using namespace driver;

namespace {
const char kChild[] = MNEMORA_BINARY_DIR "\\tools\\procmgr_child.exe";
const char kTitle[] = "Process manager";
const char kExplorerKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char kKillMe[] = "Mnemora does not end itself from here. Use Exit in the main window.";
const char kKillSystem[] =
    "This is a system process. Ending it could make Windows unstable, so Mnemora leaves it running.";
const char kStarted[] =
    "The activity monitor is running. Programs that stay idle for two and a half minutes give their memory back.";
const char kToolWarning[] = "This tool changes system settings. Continue only if you know what the changes do.";
const char kStopped[] = "The activity monitor has stopped. Idle programs keep their memory until you start it again.";

std::wstring WideText(HWND wnd) {
    wchar_t text[1024] = {};
    SendMessageW(wnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

bool ProcessAlive(DWORD pid) {
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

class ProcessWindowTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        WriteSettingDword("BuildReport", 0);
    }
    void TearDown() override {
        ProgramTest::TearDown();
        SetAlwaysUnloadDll(nullptr);
    }
    static void SetAlwaysUnloadDll(const char* text) {
        RegistryKey key;
        ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kExplorerKey), ERROR_SUCCESS);
        if (text)
            key.SetString(text, "AlwaysUnloadDLL");
        else
            key.DeleteValue("AlwaysUnloadDLL");
    }
    static LONG ReadAlwaysUnloadDll(std::string& text) {
        RegistryKey key;
        EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, kExplorerKey, KEY_READ), ERROR_SUCCESS);
        return key.QueryString(text, "AlwaysUnloadDLL");
    }
    // Starts the program and opens the window with `command` (a button or tray command),
    // agreeing to the warning about system tools when `warned`.
    HWND Open(UINT command, bool warned = false) {
        HWND main = StartMain();
        EXPECT_NE(main, nullptr);
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
        if (warned) ExpectBox(kToolWarning);
        HWND dlg = WaitForWindow(kTitle, app_.Pid(), kStartMs);
        EXPECT_NE(dlg, nullptr);
        return dlg;
    }
    void ExpectBox(const std::string& text) {
        HWND box = WaitForMessageBox(app_.Pid(), 10000);
        ASSERT_NE(box, nullptr) << "no box saying: " << text;
        EXPECT_EQ(WindowTitle(box), "Mnemora");
        EXPECT_EQ(MessageBoxText(box), text);
        AnswerMessageBox(box, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
    }
    // The energy-saving command's box: fixed Chinese caption and text, read as Unicode.
    std::wstring WideBox(const std::wstring& caption) {
        HWND box = WaitForMessageBox(app_.Pid(), 10000);
        if (!box) return L"(no box)";
        EXPECT_EQ(WideText(box), caption);
        std::wstring text = WideText(GetDlgItem(box, 0xFFFF));
        AnswerMessageBox(box, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
        return text;
    }
};
}  // namespace

TEST_F(ProcessWindowTest, ListsEndsAndGuardsProcesses) {
    AppProcess child, other;
    ASSERT_TRUE(child.Start(kChild));
    ASSERT_TRUE(other.Start(kChild));
    SetAlwaysUnloadDll("x1y");
    HWND dlg = Open(IDC_CLEANRAM_BT);
    ASSERT_NE(dlg, nullptr);
    RemoteList list(GetDlgItem(dlg, IDC_PROCESS_LIST));

    // Rows: the children with their paths and working sets, and the program itself.
    int row = list.Find(ProcessIdText(child.Pid()), 1);
    ASSERT_GE(row, 0);
    EXPECT_EQ(lstrcmpiA(list.Text(row, 0).c_str(), kChild), 0) << list.Text(row, 0);
    int self = list.Find(ProcessIdText(app_.Pid()), 1);
    ASSERT_GE(self, 0);
    if (IsWindows9x()) {  // the 9x line reads no working sets
        EXPECT_EQ(list.Text(row, 2), "Not available");
    } else {
        EXPECT_TRUE(std::regex_match(list.Text(row, 2), std::regex(R"(\d+\.\d\d +MB)"))) << list.Text(row, 2);
        EXPECT_EQ(list.Text(self, 2), "Memory Manager");
    }
    EXPECT_EQ(ControlText(dlg, IDC_KILLPROCESS_BT), "End process");
    // The monitor runs from the program's start.
    EXPECT_FALSE(IsEnabled(dlg, ID_START_MON));
    EXPECT_TRUE(IsEnabled(dlg, IDC_ABORT_MON));
    EXPECT_FALSE(IsEnabled(dlg, IDC_KILLPROCESS_BT));
    EXPECT_FALSE(IsShown(GetDlgItem(dlg, IDC_ENERGYSAVE_BT)));
    EXPECT_FALSE(IsShown(GetDlgItem(dlg, IDC_DLL_CHECK)));
    list.Click(row);
    EXPECT_TRUE(WaitUntil([&] { return IsEnabled(dlg, IDC_KILLPROCESS_BT); }, 5000));
    SaveScreenshot(ScreenshotDir() + "\\process_window.bmp");
    EXPECT_EQ(LayoutFaults(dlg), "");
    Click(dlg, IDC_REFRESHPROCESS_BT);
    EXPECT_FALSE(IsEnabled(dlg, IDC_KILLPROCESS_BT));

    // Ending a process: it is gone at once and its row with it.
    list.Click(list.Find(ProcessIdText(child.Pid()), 1));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(dlg, IDC_KILLPROCESS_BT); }, 5000));
    Click(dlg, IDC_KILLPROCESS_BT);
    EXPECT_TRUE(child.WaitExit(0));
    EXPECT_EQ(list.Find(ProcessIdText(child.Pid()), 1), -1);
    EXPECT_FALSE(IsEnabled(dlg, IDC_KILLPROCESS_BT));

    // The program itself and the shell are refused.
    list.Click(list.Find(ProcessIdText(app_.Pid()), 1));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(dlg, IDC_KILLPROCESS_BT); }, 5000));
    PostClick(dlg, IDC_KILLPROCESS_BT);
    ExpectBox(kKillMe);
    int shell = list.FindContaining("\\explorer.exe");
    ASSERT_GE(shell, 0);
    DWORD shellPid = static_cast<DWORD>(std::stoul(list.Text(shell, 1), nullptr, 16));
    list.Click(shell);
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(dlg, IDC_KILLPROCESS_BT); }, 5000));
    PostClick(dlg, IDC_KILLPROCESS_BT);
    ExpectBox(kKillSystem);
    EXPECT_TRUE(ProcessAlive(shellPid));
    EXPECT_FALSE(IsEnabled(dlg, IDC_KILLPROCESS_BT));

    // The hidden energy-saving command: nothing chosen, then the other child.
    list.ClearChoice();
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_ENERGYSAVE_BT, BN_CLICKED), 0);
    EXPECT_EQ(WideBox(L"错误"), L"您尚未选中哪个程序进入强制节能状态!");
    row = list.Find(ProcessIdText(other.Pid()), 1);
    list.Click(row);
    ASSERT_TRUE(WaitUntil([&] { return list.FocusedRow() == row; }, 5000));
    std::string memory = list.Text(row, 2);
    std::wstring before(memory.begin(), memory.end());
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_ENERGYSAVE_BT, BN_CLICKED), 0);
    std::wstring saved = WideBox(L"成功");
    std::wstring program(kChild, kChild + sizeof kChild - 1);
    EXPECT_EQ(saved.find(L"您指定程序已经进入节能状态!\n\n程序名称:"), 0u) << saved.size();
    EXPECT_NE(saved.find(program), std::wstring::npos);
    EXPECT_NE(saved.find(L"\n\n节能前占用内存:" + before + L" \n\n节能后占用内存:"), std::wstring::npos);

    // Closing stores the hidden check box: "1" for any text holding a 1.
    PostClick(dlg, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }, 5000));
    SKIP_WITHOUT_RIGHTS();
    std::string stored;
    EXPECT_EQ(ReadAlwaysUnloadDll(stored), ERROR_SUCCESS);
    EXPECT_EQ(stored, "1");
}

TEST_F(ProcessWindowTest, MonitorButtonsAutomaticRefreshAndClose) {
    WriteSettingDword("AutoRefresh", 1);
    SetAlwaysUnloadDll("abc");
    HWND dlg = Open(ID_TRAY_PROCESS, true);
    ASSERT_NE(dlg, nullptr);
    RemoteList list(GetDlgItem(dlg, IDC_PROCESS_LIST));
    EXPECT_TRUE(IsChecked(dlg, IDC_CHECKAUTOREFRESH));

    // A process started now shows up by itself; the chosen row stays chosen.
    list.Click(list.Find(ProcessIdText(app_.Pid()), 1));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(dlg, IDC_KILLPROCESS_BT); }, 5000));
    AppProcess child;
    ASSERT_TRUE(child.Start(kChild));
    EXPECT_TRUE(WaitUntil([&] { return list.Find(ProcessIdText(child.Pid()), 1) >= 0; }, 12000));
    EXPECT_TRUE(IsEnabled(dlg, IDC_KILLPROCESS_BT));
    EXPECT_EQ(list.FocusedRow(), list.Find(ProcessIdText(app_.Pid()), 1));

    // Unticking stops it and stores the choice.
    SendDlgItemMessageA(dlg, IDC_CHECKAUTOREFRESH, BM_SETCHECK, BST_UNCHECKED, 0);
    PostClick(dlg, IDC_CHECKAUTOREFRESH);
    if (!RightsRefused()) {
        EXPECT_TRUE(WaitUntil([] { return ReadSettingDword("AutoRefresh") == 0; }, 5000));
    }

    PostClick(dlg, IDC_ABORT_MON);
    ExpectBox(kStopped);
    EXPECT_TRUE(IsEnabled(dlg, ID_START_MON));
    EXPECT_FALSE(IsEnabled(dlg, IDC_ABORT_MON));
    PostClick(dlg, ID_START_MON);
    ExpectBox(kStarted);
    EXPECT_FALSE(IsEnabled(dlg, ID_START_MON));
    EXPECT_TRUE(IsEnabled(dlg, IDC_ABORT_MON));

    // Escape closes; a stored text without a 1 is removed.
    PressKeyWhereFocused(dlg, VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }, 5000));
    SKIP_WITHOUT_RIGHTS();
    std::string stored;
    EXPECT_EQ(ReadAlwaysUnloadDll(stored), ERROR_FILE_NOT_FOUND);
}

// A program that refuses to be ended (it protects itself, or needs rights this user lacks):
// the window says so, and the program keeps running.
TEST_F(ProcessWindowTest, AnEndThatWindowsRefusesIsSaid) {
    AppProcess child;
    ASSERT_TRUE(child.Start(kChild));
    ScopedEnv protect("MNEMORA_PROTECTED_PROCESSES", "procmgr_child.exe");
    HWND main = StartMain("/x", TestProgramDir() + "\\Ramvane.exe");
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_CLEANRAM_BT, BN_CLICKED), 0);
    HWND dlg = WaitForWindow(kTitle, app_.Pid(), kStartMs);
    ASSERT_NE(dlg, nullptr);
    RemoteList list(GetDlgItem(dlg, IDC_PROCESS_LIST));
    list.Click(list.Find(ProcessIdText(child.Pid()), 1));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(dlg, IDC_KILLPROCESS_BT); }, 5000));
    PostClick(dlg, IDC_KILLPROCESS_BT);
    ExpectBox(
        "Windows did not end this program: it refused (the program protects itself, or ending it needs administrator "
        "rights), or the program did not end in time.");
    EXPECT_TRUE(ProcessAlive(child.Pid()));
    EXPECT_GE(list.Find(ProcessIdText(child.Pid()), 1), 0);
}
