// The program as a user without administrator rights runs it: the test build, whose
// Windows calls refuse what Windows refuses such a user. Nothing may be claimed that did not
// happen, nothing stored may be lost, and the next start shows what is really stored.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/LogonTask.h"
#include "app/RegistryKey.h"
#include "cache/CacheRegistry.h"
#include "driver/AutoRunProbe.h"
#include "driver/ProgramTest.h"
#include "driver/TestDriver.h"
#include "resource.h"

using namespace driver;

namespace {
const char kSaveRefused[] =
    "The settings could not be saved: Windows refused to write them. Changing them needs administrator rights; "
    "start Mnemora as an administrator.";
const char kCacheRefused[] =
    "Windows refused to change the cache settings. Changing them needs administrator rights; start Mnemora as an "
    "administrator.";

DWORD Stored(const char* path, const char* name) {
    RegistryKey key;
    DWORD value = 0xFFFFFFFF;
    if (key.Open(HKEY_LOCAL_MACHINE, path, KEY_READ) == ERROR_SUCCESS) key.QueryDword(value, name);
    return value;
}

// The Run value, or (Wine reports Windows 7) the log-on task.
bool AutoRunStored() {
    RegistryKey run;
    std::string command;
    return (run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath, KEY_READ) == ERROR_SUCCESS &&
            run.QueryString(command, "Ramvane") == ERROR_SUCCESS) ||
           !TaskFileText().empty();
}

class RefusedRightsTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        RegistryKey run;
        if (run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath) == ERROR_SUCCESS) run.DeleteValue("Ramvane");
        DeleteLogonTask();
        // What an administrator stored earlier.
        WriteSettingDword("RamAlertValue", 20);
        WriteSettingDword("SoundAlert", 0);
        WriteSettingDword("OtherFunctionTips", 1);
        WriteSettingDword("BuildReport", 0);
    }
    HWND StartAsUser() { return StartMain("/x", TestProgramDir() + "\\Ramvane.exe"); }

    ScopedEnv asUser_{"MNEMORA_AS_USER", "1"};
};

TEST_F(RefusedRightsTest, MainWindowShowsWhatIsStoredAndSaysASaveWasRefused) {
    HWND main = StartAsUser();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ControlText(main, IDC_RAMALERT), "20");
    EXPECT_FALSE(IsChecked(main, IDC_CHECKSOUND));

    SetControlText(main, IDC_RAMALERT, "30");
    Click(main, IDC_CHECKAUTORUN);
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_BUTTONSAVERAM); }, 3000));
    PostClick(main, IDC_BUTTONSAVERAM);
    EXPECT_EQ(AnswerNextBox(app_.Pid()), kSaveRefused);
    Sleep(300);
    EXPECT_TRUE(IsEnabled(main, IDC_BUTTONSAVERAM)) << "Save must stay possible after a refusal";
    EXPECT_EQ(Stored(kProgramKeyPath, "RamAlertValue"), 20u);
    EXPECT_FALSE(AutoRunStored());

    app_.Kill();
    main = StartAsUser();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ControlText(main, IDC_RAMALERT), "20");
    EXPECT_FALSE(IsChecked(main, IDC_CHECKAUTORUN));
}

TEST_F(RefusedRightsTest, CacheWindowSaysItsChangesWereRefused) {
    HWND main = StartAsUser();
    ASSERT_NE(main, nullptr);
    DWORD lockLimit = Stored(kMemoryManagementKeyPath, "IOPageLockLimit");
    PostClick(main, IDC_BUTTONOT1);
    HWND cache = WaitForWindow("Cache settings", app_.Pid(), 10000);
    ASSERT_NE(cache, nullptr);
    for (int button : {IDC_BUTTONSURECACHE, IDC_RESTORECACHE_BUTTON}) {
        PostClick(cache, button);
        EXPECT_EQ(AnswerNextBox(app_.Pid()), kCacheRefused) << button;
    }
    EXPECT_EQ(Stored(kMemoryManagementKeyPath, "IOPageLockLimit"), lockLimit);
    EXPECT_EQ(Stored(kProgramKeyPath, "HDUSEValue"), 0xFFFFFFFFu);
    // A page-file change that the close cannot make is said.
    SendDlgItemMessageA(cache, IDC_PAGECLEAN_CHECK, BM_SETCHECK, BST_CHECKED, 0);
    PostClick(cache, IDOK);
    EXPECT_EQ(AnswerNextBox(app_.Pid()), kCacheRefused);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(cache); }, 5000));
    EXPECT_FALSE(ReadClearPageFile());
}

}  // namespace
