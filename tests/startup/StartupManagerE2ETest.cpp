// The start-up items manager as a user meets it: opened from the main window, the clean-up
// message, the rows of every place, then Set, Delete and Run with their messages.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/LogonTask.h"
#include "app/RegistryKey.h"
#include "app/Settings.h"
#include "driver/ProgramTest.h"
#include "driver/RemoteList.h"
#include "driver/TestDriver.h"
#include "probes/OsVersion.h"
#include "resource.h"
#include "startup/DelayFile.h"
#include "startup/StartupChildTest.h"
#include "startup/StartupEntries.h"
#include "startup/StartupItem.h"

using namespace driver;

namespace {
const char kChild[] = MNEMORA_BINARY_DIR "\\tools\\startup_child.exe";
const char kTitle[] = "Start-up items";
const char kActive[] = "Starts with Windows";
const char kPaused[] = "Paused";
const int kRegistrySources[] = {SourceHklmRun, SourceHklmRunServices, SourceHklmRunDisabled,
                                SourceHklmRunServicesDisabled, SourceHkcuRun, SourceHkcuRunDisabled};

bool Put(int source, const std::string& name, const std::string& command, DWORD type = REG_SZ) {
    StartupKey place = KeyOfSource(source);
    RegistryKey key;
    return key.Open(place.root, place.path) == ERROR_SUCCESS &&
           key.SetString(command, name.c_str(), command.size(), type) == ERROR_SUCCESS;
}

// `text` with its %variables% expanded as this process (and the program it starts) has them.
std::string Expanded(const std::string& text) {
    char expanded[4096];
    DWORD size = ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof expanded);
    return size > 0 && size < sizeof expanded ? expanded : text;
}

bool Has(int source, const std::string& name) {
    StartupKey place = KeyOfSource(source);
    for (const RunValue& v : ReadRunValues(place.root, place.path))
        if (v.name == name) return true;
    return false;
}

class StartupManagerTest : public StartupChildTest {
protected:
    StartupManagerTest() : StartupChildTest("MnemoraRunMarker.txt") {}
    void SetUp() override {
        RegistryKey parent;
        if (parent.Open(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion") == ERROR_SUCCESS)
            parent.Create("RunServices");
        CreateDisabledKeys();
        StartupChildTest::SetUp();
    }
    void TearDown() override {
        StartupChildTest::TearDown();
        DeleteLogonTask();
        WriteAutoRunEntry(false, ProgramExe());
        for (int source : kRegistrySources) {
            StartupKey place = KeyOfSource(source);
            RegistryKey key;
            if (key.Open(place.root, place.path) != ERROR_SUCCESS) continue;
            for (const RunValue& v : ReadRunValues(place.root, place.path))
                if (_strnicmp(v.name.c_str(), "MnTest", 6) == 0 || v.name == "Ramvane") key.DeleteValue(v.name.c_str());
        }
    }
    // The box shown next, with its caption and text checked, answered with `button`.
    void ExpectBox(const std::string& caption, const std::string& text, int button = IDOK) {
        HWND box = WaitForMessageBox(app_.Pid(), 10000);
        ASSERT_NE(box, nullptr) << "no box saying: " << text;
        EXPECT_EQ(WindowTitle(box), caption);
        EXPECT_EQ(MessageBoxText(box), text);
        AnswerMessageBox(box, button);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
    }
    // Opens the manager past the tools warning, through the main window's button or tray command.
    HWND Open(HWND main, bool fromTray, const std::string& cleanUpMessage = "") {
        if (fromTray)
            PostMessageA(main, WM_COMMAND, ID_TRAY_STARTUP, 0);
        else
            PostClick(main, IDC_MSCONFIG_BT);
        ExpectBox("Mnemora", "This tool changes system settings. Continue only if you know what the changes do.");
        if (!cleanUpMessage.empty()) ExpectBox("Mnemora", cleanUpMessage);
        return WaitForWindow(kTitle, app_.Pid(), 10000);
    }
    // Focuses the row of `name` by a click and waits until the actions follow.
    int ClickRow(HWND dlg, const RemoteList& list, const std::string& name) {
        int row = list.Find(name);
        EXPECT_GE(row, 0) << name;
        list.Click(row);
        EXPECT_TRUE(WaitUntil([&] { return IsEnabled(dlg, IDC_DELRUN_BUTTON); }, 5000));
        return row;
    }
    std::vector<std::pair<std::string, std::string>> Rows(const RemoteList& list) const {
        std::vector<std::pair<std::string, std::string>> rows;
        for (int row = 0, n = list.Count(); row < n; ++row) rows.emplace_back(list.Text(row, 0), list.Text(row, 2));
        return rows;
    }
};
}  // namespace

TEST_F(StartupManagerTest, ListSetDeleteAndRunFromTheMainWindow) {
    SKIP_WITHOUT_RIGHTS();
    std::string active = std::string(kChild) + " active " + marker_;
    ASSERT_TRUE(Put(SourceHklmRun, "MnTestActive", active));
    ASSERT_TRUE(Put(SourceHklmRun, "Ramvane", ProgramExe() + " -PowerOn"));  // the own entry: never listed
    ASSERT_TRUE(Put(SourceHklmRunServices, "MnTestService", "MnTestNoSuchProgram.exe"));
    StartupItem delayed;
    delayed.Name = "MnTestDelayed";
    delayed.Command = "delayed.exe";
    delayed.DelayMinutes = 5;
    ASSERT_TRUE(AppendDelayedItem(delayFile_, delayed));
    ASSERT_TRUE(Put(SourceHklmRunDisabled, "MnTestPausedM", "paused.exe"));
    ASSERT_TRUE(Put(SourceHklmRunServicesDisabled, "MnTestPausedS", "paused.exe"));
    // A variable of this process, which the program inherits, in commands stored to be expanded.
    ASSERT_TRUE(SetEnvironmentVariableA("MnTestBuild", MNEMORA_BINARY_DIR));
    // Another user's entry: listed, and running (found through its variable).
    ASSERT_TRUE(SetEnvironmentVariableA("MnTestProgram", ProgramDir().c_str()));  // the build's, or the test build
    ASSERT_TRUE(Put(SourceHkcuRun, "Ramvane", "%MnTestProgram%\\Ramvane.exe", REG_EXPAND_SZ));
    ASSERT_TRUE(Put(SourceHkcuRun, "MnTestExpand", "%MnTestBuild%\\tools\\startup_child.exe expand " + marker_,
                    REG_EXPAND_SZ));
    ASSERT_TRUE(Put(SourceHkcuRunDisabled, "MnTestPausedU", "\"C:\\Program Files\\x.exe\" /a"));
    ASSERT_TRUE(Put(SourceHkcuRun, "MnTestTwin", "twin.exe"));  // active again: its paused copy goes
    ASSERT_TRUE(Put(SourceHkcuRunDisabled, "MNTESTTWIN", "twin.exe"));

    ASSERT_TRUE(app_.Start(ProgramExe(), "/x"));
    HWND main = WaitForWindow("Mnemora", app_.Pid(), 20000);
    ASSERT_NE(main, nullptr);
    HWND dlg = Open(main, false,
                    "Start-up itemsMnemora:\n\nMNTESTTWIN\n\nThese programs were set to start with Windows again, so "
                    "their paused or delayed copies were removed.\n");
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(Has(SourceHkcuRunDisabled, "MNTESTTWIN"));
    EXPECT_TRUE(Has(SourceHkcuRun, "MnTestTwin"));

    // Every place in its order; the own entry hidden, the user's Ramvane shown.
    RemoteList list(GetDlgItem(dlg, IDC_AUTORUN_LIST));
    std::vector<std::pair<std::string, std::string>> ours;
    for (const auto& row : Rows(list))
        if ((row.first.compare(0, 6, "MnTest") == 0 && row.first != "MnTestTwin") || row.first == "Ramvane")
            ours.push_back(row);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"MnTestActive", kActive},  {"MnTestService", kActive}, {"MnTestDelayed", "Started by Mnemora after 5 minutes"},
        {"MnTestPausedM", kPaused}, {"MnTestPausedS", kPaused}, {"MnTestExpand", kActive},
        {"Ramvane", kActive},       {"MnTestPausedU", kPaused},
    };
    EXPECT_EQ(ours, expected);
    int quoted = list.Find("MnTestPausedU");
    EXPECT_EQ(list.Text(quoted, 1), "\"C:\\Program Files\\x.exe\" /a");
    // One icon per program, shared by the rows that start it (MnTestExpand's is MnTestActive's).
    std::map<std::string, int> imageOf;
    std::set<int> images;
    for (int row = 0; row < list.Count(); ++row) {
        const std::string program = CommandToIconPath(Expanded(list.Text(row, 1)));
        const int image = list.Image(row);
        EXPECT_GE(image, 0) << program;
        auto known = imageOf.emplace(program, image);
        EXPECT_EQ(known.first->second, image) << program;
        if (known.second) {
            EXPECT_TRUE(images.insert(image).second) << program << " shares an icon";
        }
    }
    EXPECT_FALSE(IsEnabled(dlg, IDC_APPLYRUN_BUTTON));
    EXPECT_FALSE(IsShown(GetDlgItem(dlg, IDC_LGRUN_BUTTON)));
    EXPECT_EQ(RoundedFrameMismatch(dlg), "");
    Sleep(200);
    SaveScreenshot(ScreenshotDir() + "\\startup_manager.bmp");
    EXPECT_EQ(LayoutFaults(dlg), "");

    // Set: delay an active item while the program does not start with Windows (Wine reports
    // Windows 7: the start took the own entry over into the log-on task).
    RegistryKey run;
    ASSERT_EQ(run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath), ERROR_SUCCESS);
    run.DeleteValue("Ramvane");
    ASSERT_EQ(DeleteLogonTask(), ERROR_SUCCESS);
    ClickRow(dlg, list, "MnTestActive");
    PostClick(dlg, IDC_APPLYRUN_BUTTON);
    HWND setup = WaitForWindow("Start-up item", app_.Pid(), 5000);
    ASSERT_NE(setup, nullptr);
    EXPECT_EQ(ControlText(setup, IDC_RUNSETUP_NAME), "MnTestActive");
    EXPECT_EQ(ControlText(setup, IDC_RUNSETUP_COMMAND), active);
    EXPECT_TRUE(IsChecked(setup, IDC_RADIOONE));
    EXPECT_FALSE(IsEnabled(setup, IDC_RUNSETUP_DELAY));
    Click(setup, IDC_RADIOTHREE);
    EXPECT_TRUE(IsEnabled(setup, IDC_RUNSETUP_DELAY));
    SetControlText(setup, IDC_RUNSETUP_DELAY, "61");
    // Cancel reads the delay too: it names the wrong number, then closes with no change.
    PostClick(setup, IDCANCEL);
    ExpectBox("Mnemora", "Enter a whole number of minutes from 1 to 60.");
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(setup); }, 5000));
    EXPECT_TRUE(Has(SourceHklmRun, "MnTestActive"));
    PostClick(dlg, IDC_APPLYRUN_BUTTON);
    setup = WaitForWindow("Start-up item", app_.Pid(), 5000);
    ASSERT_NE(setup, nullptr);
    Click(setup, IDC_RADIOTHREE);
    SetControlText(setup, IDC_RUNSETUP_DELAY, "61");
    PostClick(setup, IDOK);
    ExpectBox("Mnemora", "Enter a whole number of minutes from 1 to 60.");
    ASSERT_TRUE(IsWindow(setup));
    SetControlText(setup, IDC_RUNSETUP_DELAY, "7");
    Sleep(200);
    SaveScreenshot(ScreenshotDir() + "\\startup_run_setup.bmp");
    EXPECT_EQ(LayoutFaults(setup), "");
    PostClick(setup, IDOK);
    ExpectBox("Mnemora",
              "Delayed items are started by Mnemora, but Mnemora does not start with Windows. Tick \"Start with "
              "Windows\" in the main window and save, or the delayed items will not start.");
    EXPECT_FALSE(Has(SourceHklmRun, "MnTestActive"));
    std::vector<StartupItem> file = ReadDelayedItems(delayFile_);
    ASSERT_EQ(file.size(), 2u);
    EXPECT_EQ(file[1].Name, "MnTestActive");
    EXPECT_EQ(file[1].Command, active);
    EXPECT_EQ(file[1].DelayMinutes, 7);
    EXPECT_EQ(file[1].OldId, 0);
    EXPECT_TRUE(WaitUntil([&] { return list.Text(list.Find("MnTestActive"), 2) == "Started by Mnemora after 7 minutes"; },
                          5000));
    // Once the program starts with Windows again (its log-on task from Vista on, its Run value
    // before), a new delay needs no reminder.
    ASSERT_EQ(WriteAutoRun(true, IsVistaOrLater() ? AutoRunPlace::LogonTask : AutoRunPlace::RunValue, ProgramExe()),
              ERROR_SUCCESS);
    ClickRow(dlg, list, "MnTestActive");
    PostClick(dlg, IDC_APPLYRUN_BUTTON);
    setup = WaitForWindow("Start-up item", app_.Pid(), 5000);
    ASSERT_NE(setup, nullptr);
    SetControlText(setup, IDC_RUNSETUP_DELAY, "9");
    PostClick(setup, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return list.Text(list.Find("MnTestActive"), 2) == "Started by Mnemora after 9 minutes"; },
                          5000));
    HWND reminder = WaitForMessageBox(app_.Pid(), 500);
    EXPECT_EQ(reminder, nullptr) << MessageBoxText(reminder);
    if (reminder) AnswerMessageBox(reminder, IDOK);

    // Delete.
    ClickRow(dlg, list, "MnTestPausedU");
    PostClick(dlg, IDC_DELRUN_BUTTON);
    ExpectBox("Mnemora", "Delete the start-up item \"MnTestPausedU\"? It cannot be restored. ", IDYES);
    EXPECT_TRUE(WaitUntil([&] { return list.Find("MnTestPausedU") < 0; }, 5000));
    EXPECT_FALSE(Has(SourceHkcuRunDisabled, "MnTestPausedU"));

    // Run: a running program is not started twice; the others are, or say why not.
    ClickRow(dlg, list, "Ramvane");
    PostClick(dlg, IDC_LGRUN_BUTTON);
    ExpectBox("Mnemora", "The program of \"Ramvane\" is already running.");
    ClickRow(dlg, list, "MnTestActive");
    PostClick(dlg, IDC_LGRUN_BUTTON);
    ExpectBox("Mnemora", "MnTestActive has been started.");
    EXPECT_TRUE(WaitUntil([&] { return Marker() == "active\r\n"; }, 10000));
    KillStrays("startup_child.exe");  // MnTestExpand's program too: it must not count as running
    ClickRow(dlg, list, "MnTestExpand");
    PostClick(dlg, IDC_LGRUN_BUTTON);
    ExpectBox("Mnemora", "MnTestExpand has been started.");
    EXPECT_TRUE(WaitUntil([&] { return Marker() == "active\r\nexpand\r\n"; }, 10000));
    ClickRow(dlg, list, "MnTestService");
    PostClick(dlg, IDC_LGRUN_BUTTON);
    ExpectBox("Mnemora", "MnTestService could not be started: Windows did not find or could not run its program.");

    PostClick(dlg, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dlg); }, 5000));
    // The tray menu's command opens it as well.
    HWND again = Open(main, true);
    ASSERT_NE(again, nullptr);
    PostClick(again, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(again); }, 5000));
}

// A user without administrator rights: a move or delete of the machine's item is refused
// aloud and leaves it where it was (none half done); the user's own item still moves.
TEST_F(StartupManagerTest, WithoutAdministratorRightsTheMachinesItemsStayAndSaySo) {
    ScopedEnv asUser("MNEMORA_AS_USER", "1");
    const std::string delayFile = TestProgramDir() + "\\Delay.cfg";
    DeleteFileA(delayFile.c_str());
    ASSERT_TRUE(Put(SourceHklmRun, "MnTestMachine", "machine.exe"));
    ASSERT_TRUE(Put(SourceHkcuRun, "MnTestUser", "user.exe"));
    ASSERT_TRUE(app_.Start(TestProgramDir() + "\\Ramvane.exe", "/x"));
    HWND main = WaitForWindow("Mnemora", app_.Pid(), 20000);
    ASSERT_NE(main, nullptr);
    HWND dlg = Open(main, false);
    ASSERT_NE(dlg, nullptr);
    RemoteList list(GetDlgItem(dlg, IDC_AUTORUN_LIST));
    const char kRefused[] =
        "The item could not be moved and was left as it was: Windows refused to change where it is kept (changing the "
        "computer's start-up items needs administrator rights; start Mnemora as an administrator), or Delay.cfg is in "
        "use.";
    const struct {
        const char* name;
        int radio;
        const char* message;  // null: the move is done
    } kMoves[] = {
        {"MnTestMachine", IDC_RADIOTWO, kRefused},
        {"MnTestMachine", IDC_RADIOTHREE, kRefused},  // Delay.cfg can be written: the Run value cannot go
        {"MnTestUser", IDC_RADIOTWO, nullptr},
    };
    for (const auto& move : kMoves) {
        SCOPED_TRACE(std::string(move.name) + " " + std::to_string(move.radio));
        ClickRow(dlg, list, move.name);
        PostClick(dlg, IDC_APPLYRUN_BUTTON);
        HWND setup = WaitForWindow("Start-up item", app_.Pid(), 5000);
        ASSERT_NE(setup, nullptr);
        Click(setup, move.radio);
        PostClick(setup, IDOK);
        if (move.message) {
            ExpectBox("Mnemora", move.message);
        } else {
            EXPECT_TRUE(WaitUntil([&] { return !IsWindow(setup); }, 5000));
            EXPECT_EQ(WaitForMessageBox(app_.Pid(), 500), nullptr);
        }
    }
    EXPECT_TRUE(Has(SourceHklmRun, "MnTestMachine"));
    EXPECT_FALSE(Has(SourceHklmRunDisabled, "MnTestMachine"));
    EXPECT_TRUE(ReadDelayedItems(delayFile).empty());
    EXPECT_TRUE(Has(SourceHkcuRunDisabled, "MnTestUser"));

    ClickRow(dlg, list, "MnTestMachine");
    PostClick(dlg, IDC_DELRUN_BUTTON);
    ExpectBox("Mnemora", "Delete the start-up item \"MnTestMachine\"? It cannot be restored. ", IDYES);
    HWND box = WaitForMessageBox(app_.Pid(), 5000);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageBoxText(box).find("MnTestMachine"), std::string::npos) << MessageBoxText(box);
    AnswerMessageBox(box, IDOK);
    EXPECT_TRUE(Has(SourceHklmRun, "MnTestMachine"));
    DeleteFileA(delayFile.c_str());
}
