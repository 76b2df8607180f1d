// The start-up items manager with a Delay.cfg held by another program: unreadable, it says
// that the delayed items are missing from the list; readable but not writable, Set to Delayed
// and Delete change and lose nothing, and only the delete says so (a failed Set is silent;
// the list shows the item as it was).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/IniFile.h"
#include "app/RegistryKey.h"
#include "driver/RemoteList.h"
#include "driver/TestDriver.h"
#include "resource.h"
#include "startup/DelayFile.h"
#include "startup/StartupEntries.h"

using namespace driver;

namespace {
const char kTitle[] = "Start-up items";

bool InRun(const std::string& name) {
    for (const RunValue& v : ReadRunValues(HKEY_LOCAL_MACHINE, kRunKeyPath))
        if (v.name == name) return true;
    return false;
}

class DelayFileFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        delayFile_ = ProgramDir() + "\\Delay.cfg";
        TearDown();
    }
    void TearDown() override {
        app_.Kill();
        KillStrays();
        DeleteFileA(delayFile_.c_str());
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
        RegistryKey run;
        if (run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath) == ERROR_SUCCESS) {
            run.DeleteValue("MnTestActive");
            run.DeleteValue("Ramvane");
        }
    }
    void ExpectBox(const std::string& text, int button = IDOK) {
        HWND box = WaitForMessageBox(app_.Pid(), 10000);
        ASSERT_NE(box, nullptr) << "no box saying: " << text;
        EXPECT_EQ(MessageBoxText(box), text);
        AnswerMessageBox(box, button);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
    }
    void Choose(HWND dlg, const RemoteList& list, int row) {
        list.Click(row);
        EXPECT_TRUE(WaitUntil([&] { return list.Focused(row) && IsEnabled(dlg, IDC_APPLYRUN_BUTTON); }, 5000));
    }
    AppProcess app_;
    std::string delayFile_;
};
}  // namespace

TEST_F(DelayFileFaultTest, AHeldDelayFileIsNamedWhenUnreadableAndLosesNothingWhenUnwritable) {
    RegistryKey run;
    ASSERT_EQ(run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath), ERROR_SUCCESS);
    ASSERT_EQ(run.SetString("mntestactive.exe /x", "MnTestActive"), ERROR_SUCCESS);
    StartupItem delayed;
    delayed.Name = "MnTestDelayed";
    delayed.Command = "delayed.exe";
    delayed.DelayMinutes = 5;
    ASSERT_TRUE(AppendDelayedItem(delayFile_, delayed));
    std::string fileBefore;
    ASSERT_TRUE(IniFile::ReadBytes(delayFile_, fileBefore));

    // Held by a program that lets no one else in: the list cannot show the delayed items.
    HANDLE holder = CreateFileA(delayFile_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(app_.Start(ProgramExe(), "/x"));
    HWND main = WaitForWindow("Mnemora", app_.Pid(), 20000);
    ASSERT_NE(main, nullptr);
    PostClick(main, IDC_MSCONFIG_BT);
    ExpectBox("This tool changes system settings. Continue only if you know what the changes do.");
    ExpectBox("The delayed items cannot be read: Delay.cfg is in use by another program. They are missing from "
              "this list until it is free again.");
    HWND dlg = WaitForWindow(kTitle, app_.Pid(), 10000);
    ASSERT_NE(dlg, nullptr);
    RemoteList list(GetDlgItem(dlg, IDC_AUTORUN_LIST));
    ASSERT_TRUE(list.Ready());
    const int activeRow = list.Find("MnTestActive");
    ASSERT_GE(activeRow, 0);
    EXPECT_LT(list.Find("MnTestDelayed"), 0);
    const std::string activeState = list.Text(activeRow, 2);

    // Now it lets others only read it. A read-only attribute would do on Windows, but Wine run
    // as root writes such files all the same.
    CloseHandle(holder);
    holder = CreateFileA(delayFile_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    // Set the active item to Delayed: it stays in its Run key and its row, and the message says
    // so (no hint that delayed items need the program at start-up claims a change).
    Choose(dlg, list, activeRow);
    PostClick(dlg, IDC_APPLYRUN_BUTTON);
    HWND setup = WaitForWindow("Start-up item", app_.Pid(), 5000);
    ASSERT_NE(setup, nullptr);
    Click(setup, IDC_RADIOTHREE);
    SetControlText(setup, IDC_RUNSETUP_DELAY, "7");
    PostClick(setup, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(setup); }, 5000));
    EXPECT_EQ(AnswerNextBox(app_.Pid()),
              "The item could not be moved and was left as it was: Windows refused to change where it is kept "
              "(changing the computer's start-up items needs administrator rights; start Mnemora as an "
              "administrator), or Delay.cfg is in use.");
    EXPECT_TRUE(InRun("MnTestActive"));
    EXPECT_TRUE(WaitUntil([&] { return !IsEnabled(dlg, IDC_APPLYRUN_BUTTON); }, 5000));  // refilled
    EXPECT_EQ(list.Find("MnTestActive"), activeRow);
    EXPECT_EQ(list.Text(activeRow, 2), activeState);

    // Delete the delayed item, listed again now that the file can be read: the designed
    // failure message, the file as it was.
    const int delayedRow = list.Find("MnTestDelayed");
    ASSERT_GE(delayedRow, 0);
    Choose(dlg, list, delayedRow);
    PostClick(dlg, IDC_DELRUN_BUTTON);
    ExpectBox("Delete the start-up item \"MnTestDelayed\"? It cannot be restored. ", IDYES);
    ExpectBox("The start-up item \"MnTestDelayed\" could not be deleted. Items of the whole machine need "
              "administrator rights; Delay.cfg must not be in use by another program.");
    EXPECT_EQ(list.Find("MnTestDelayed"), delayedRow);

    CloseHandle(holder);
    std::string fileAfter;
    EXPECT_TRUE(IniFile::ReadBytes(delayFile_, fileAfter));
    EXPECT_EQ(fileAfter, fileBefore);
    PostClick(dlg, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }, 5000));
}
