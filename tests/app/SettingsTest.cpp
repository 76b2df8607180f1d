#include "app/Settings.h"

#include <gtest/gtest.h>

#include "app/LogonTask.h"
#include "app/ProgramPath.h"
#include "app/RegistryKey.h"
#include "driver/TestDriver.h"

namespace {
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
        RegistryKey run;
        if (run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath) == ERROR_SUCCESS) run.DeleteValue("Ramvane");
        DeleteLogonTask();
    }
    void TearDown() override { SetUp(); }
};
}  // namespace

TEST_F(SettingsTest, FirstStartLoadsDefaultsAndCreatesTheKey) {
    MainSettings s;
    s.sound = 0;
    LoadMainSettings(s, AutoRunPlace::RunValue);
    EXPECT_EQ(s.sound, 1);
    EXPECT_EQ(s.autoDefrag, 0);
    EXPECT_EQ(s.clipboard, 1);
    EXPECT_EQ(s.report, 1);
    EXPECT_EQ(s.threshold, "10");
    EXPECT_EQ(s.askBeforeRun, 1);
    EXPECT_EQ(s.toolsNoWarning, 0);
    EXPECT_EQ(s.autoRun, 0);
    EXPECT_EQ(s.hotKey, "C");
    RegistryKey key;
    EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath), ERROR_SUCCESS);
}

TEST_F(SettingsTest, StoredValuesAreReadWithTheirRules) {
    WriteSettingDword("SoundAlert", 0);
    WriteSettingDword("AutoDefrag", 5);
    WriteSettingDword("RamAlertValue", 42);
    WriteSettingDword("NoticeDialog", 2);
    WriteSettingDword("OtherFunctionTips", 1);
    WriteSettingDword("DisableLogo", 2);
    WriteSettingDword("Perch", 3);
    WriteSettingString("HotKey", "QZ");
    MainSettings s;
    LoadMainSettings(s, AutoRunPlace::RunValue);
    EXPECT_EQ(s.sound, 0);
    EXPECT_EQ(s.autoDefrag, 1);
    EXPECT_EQ(s.threshold, "42");
    EXPECT_EQ(s.askBeforeRun, 0);  // only exactly 1 counts
    EXPECT_EQ(s.toolsNoWarning, 1);
    EXPECT_EQ(s.logoOff, 0);
    EXPECT_EQ(s.percent, 1);
    EXPECT_EQ(s.hotKey, "C");
    WriteSettingString("HotKey", "");
    LoadMainSettings(s, AutoRunPlace::RunValue);
    EXPECT_EQ(s.hotKey, "C");
    WriteSettingString("HotKey", "x");
    LoadMainSettings(s, AutoRunPlace::RunValue);
    EXPECT_EQ(s.hotKey, "x");
}

TEST_F(SettingsTest, SaveWritesEveryValueAndTheAutoRunEntry) {
    ReadSettingDword("Perch");  // creates the key; the save itself never does
    MainSettings s;
    s.sound = 0;
    s.threshold = "007";
    s.askBeforeRun = 1;
    s.autoRun = 1;
    SaveMainSettings(s, 3, 6, AutoRunPlace::RunValue);
    RegistryKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath), ERROR_SUCCESS);
    std::vector<std::string> names;
    key.EnumValueNames(names);
    for (const char* n : {"UserType", "SoundAlert", "AutoDefrag", "CleanClipBoard", "RamAlertValue", "SliderPos",
                          "BuildReport", "NoticeDialog"})
        EXPECT_NE(std::find(names.begin(), names.end(), n), names.end()) << n;
    DWORD v = 0;
    key.QueryDword(v, "UserType");
    EXPECT_EQ(v, 3u);
    key.QueryDword(v, "SliderPos");
    EXPECT_EQ(v, 6u);
    key.QueryDword(v, "RamAlertValue");
    EXPECT_EQ(v, 7u);
    key.QueryDword(v, "SoundAlert");
    EXPECT_EQ(v, 0u);

    RegistryKey run;
    ASSERT_EQ(run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath), ERROR_SUCCESS);
    std::string command;
    EXPECT_EQ(run.QueryString(command, "Ramvane"), ERROR_SUCCESS);
    EXPECT_EQ(command, ExecutablePath() + " -PowerOn");
    s.autoRun = 0;
    SaveMainSettings(s, 3, 6, AutoRunPlace::RunValue);
    EXPECT_NE(run.QueryString(command, "Ramvane"), ERROR_SUCCESS);
    // Nothing left to remove is no refusal.
    EXPECT_EQ(WriteAutoRun(false, AutoRunPlace::RunValue), ERROR_SUCCESS);
}

// From Vista on the log-on task is the start with Windows; an older version's Run value still
// counts until it is moved into the task, and goes only once the task is written.
TEST_F(SettingsTest, FromVistaOnTheTaskTakesOverAnOldRunValue) {
    const AutoRunPlace task = AutoRunPlace::LogonTask;
    ASSERT_EQ(WriteAutoRunEntry(true, "C:\\Old place\\Ramvane.exe"), ERROR_SUCCESS);
    EXPECT_TRUE(AutoRunStored(task));
    EXPECT_EQ(WriteAutoRun(true, task, ""), ERROR_INVALID_PARAMETER);  // a task that cannot be written
    EXPECT_TRUE(AutoRunStored(AutoRunPlace::RunValue));
    EXPECT_FALSE(LogonTaskExists());

    MainSettings s;
    s.autoRun = 1;
    SaveMainSettings(s, 2, 4, task);
    EXPECT_TRUE(LogonTaskExists());
    EXPECT_FALSE(AutoRunStored(AutoRunPlace::RunValue));
    LoadMainSettings(s, task);
    EXPECT_EQ(s.autoRun, 1);

    EXPECT_EQ(WriteAutoRun(false, task), ERROR_SUCCESS);
    EXPECT_FALSE(LogonTaskExists());
    EXPECT_FALSE(AutoRunStored(task));
    EXPECT_EQ(WriteAutoRun(false, task), ERROR_SUCCESS);
}

TEST_F(SettingsTest, SaveWithoutTheKeyDoesNotCreateIt) {
    MainSettings s;
    s.autoRun = 0;
    SaveMainSettings(s, 2, 4, AutoRunPlace::RunValue);
    RegistryKey key;
    EXPECT_NE(key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath), ERROR_SUCCESS);
}

TEST(AutoRunCommand, RefusesPathsTheEntryCannotHold) {
    EXPECT_EQ(AutoRunCommand("C:\\Tools\\Ramvane.exe"), "C:\\Tools\\Ramvane.exe -PowerOn");
    std::string longest = "C:\\" + std::string(kMaxAutoRunPathChars - 3, 'a');
    EXPECT_EQ(AutoRunCommand(longest).size(), 259u);
    EXPECT_EQ(AutoRunCommand(longest + "b"), "");
    EXPECT_EQ(AutoRunCommand(""), "");

    auto stored = [] {
        RegistryKey run;
        char data[300] = {};
        DWORD size = sizeof data;
        if (run.Open(HKEY_LOCAL_MACHINE, kRunKeyPath) != ERROR_SUCCESS ||
            RegQueryValueExA(run.Get(), "Ramvane", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) !=
                ERROR_SUCCESS)
            return std::string("(none)");
        return std::string(data);
    };
    // Paths of 247 to 250 characters make a command over 255: still written whole, and the
    // start-with-Windows box reads it back as on.
    for (size_t length : {246u, 247u, 250u}) {
        std::string path = "C:\\" + std::string(length - 3, 'p');
        ASSERT_EQ(WriteAutoRunEntry(true, path), ERROR_SUCCESS) << length;
        EXPECT_EQ(stored(), path + " -PowerOn") << length;
        MainSettings s;
        LoadMainSettings(s, AutoRunPlace::RunValue);
        EXPECT_EQ(s.autoRun, 1) << length;
    }
    // One character more leaves the last entry as it was.
    EXPECT_EQ(WriteAutoRunEntry(true, longest + "b"), ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(stored(), "C:\\" + std::string(247, 'p') + " -PowerOn");
    EXPECT_EQ(WriteAutoRunEntry(false, longest), ERROR_SUCCESS);
    EXPECT_EQ(stored(), "(none)");
    // Off when there is nothing left to remove is no failure (the Save command would say so).
    EXPECT_EQ(WriteAutoRunEntry(false, longest), ERROR_SUCCESS);
}

// The scheduler reads the definition as XML: a path or user name is escaped (the rest of the
// definition is checked where the main window stores it).
TEST(LogonTaskXml, EscapesThePathAndTheUser) {
    const std::string xml = LogonTaskXml("C:\\Tom & Jerry\\<new>\\Ramvane.exe", "DOM\\o'hara&co");
    EXPECT_NE(xml.find("<Command>C:\\Tom &amp; Jerry\\&lt;new&gt;\\Ramvane.exe</Command>"), std::string::npos);
    EXPECT_NE(xml.find("<UserId>DOM\\o'hara&amp;co</UserId>"), std::string::npos);
}

TEST_F(SettingsTest, SnapshotKeepsItsCopiesWhenReadsFail) {
    gSettingsSnapshot = SettingsSnapshot();
    ReloadSettingsSnapshot();  // no key: both stay off
    EXPECT_EQ(gSettingsSnapshot.soundAlert, 0);
    EXPECT_EQ(gSettingsSnapshot.autoDefrag, 0);
    WriteSettingDword("SoundAlert", 1);
    WriteSettingDword("AutoDefrag", 9);
    ReloadSettingsSnapshot();
    EXPECT_EQ(gSettingsSnapshot.soundAlert, 1);
    EXPECT_EQ(gSettingsSnapshot.autoDefrag, 1);
    RegistryKey key;
    key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    key.DeleteValue("AutoDefrag");
    key.SetDword(0, "SoundAlert");
    ReloadSettingsSnapshot();
    EXPECT_EQ(gSettingsSnapshot.soundAlert, 0);
    EXPECT_EQ(gSettingsSnapshot.autoDefrag, 1);
}
