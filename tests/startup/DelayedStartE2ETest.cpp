// The delayed start of a "POWER" start: the program cleans the start-up entries at its first
// tick, then starts the items whose minute has come, their %variables% expanded.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/RegistryKey.h"
#include "driver/TestDriver.h"
#include "startup/DelayFile.h"
#include "startup/StartupChildTest.h"

using namespace driver;

namespace {
const char kHkcuRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class DelayedStartTest : public StartupChildTest {
protected:
    DelayedStartTest() : StartupChildTest("MnemoraBootMarker.txt") {}
    void TearDown() override {
        StartupChildTest::TearDown();
        RegistryKey run;
        if (run.Open(HKEY_CURRENT_USER, kHkcuRun) == ERROR_SUCCESS) run.DeleteValue("MnTestBootB");
    }
    StartupItem Child(const std::string& tag, int delay) const {
        StartupItem item;
        item.Name = "MnTestBoot" + tag;
        // Stored to be expanded, as a REG_EXPAND_SZ command is; the program inherits the variable.
        item.Command = "%MnTestBuild%\\tools\\startup_child.exe " + tag + " " + marker_;
        item.DelayMinutes = delay;
        item.OldId = 5;
        return item;
    }
};
}  // namespace

TEST_F(DelayedStartTest, APowerStartCleansUpAtTheFirstTickThenStartsTheItemsWhoseMinuteHasCome) {
    for (const StartupItem& item : {Child("A", 0), Child("B", 0), Child("C", 5)})
        ASSERT_TRUE(AppendDelayedItem(delayFile_, item));
    // B is active again in HKCU Run: its delayed copy goes, but this boot still starts it.
    RegistryKey run;
    ASSERT_EQ(run.Open(HKEY_CURRENT_USER, kHkcuRun), ERROR_SUCCESS);
    ASSERT_EQ(run.SetString("b.exe", "MnTestBootB"), ERROR_SUCCESS);
    ASSERT_TRUE(SetEnvironmentVariableA("MnTestBuild", MNEMORA_BINARY_DIR));
    ASSERT_TRUE(app_.Start(ProgramExe(), "-PowerOn"));
    HWND box = WaitForMessageBox(app_.Pid(), 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowTitle(box), "Mnemora");
    EXPECT_EQ(MessageBoxText(box),
              "Start-up itemsMnemora:\n\nMnTestBootB\n\nThese programs were set to start with Windows again, so their "
              "paused or delayed copies were removed.\n");
    EXPECT_EQ(Marker(), "");  // nothing starts before the clean-up is done
    AnswerMessageBox(box, IDOK);

    EXPECT_TRUE(WaitUntil([&] { return Marker().size() == 6; }, 10000)) << Marker();
    std::string started = Marker();
    EXPECT_NE(started.find("A\r\n"), std::string::npos);
    EXPECT_NE(started.find("B\r\n"), std::string::npos);
    std::vector<std::string> left;
    for (const StartupItem& item : ReadDelayedItems(delayFile_)) left.push_back(item.Name);
    EXPECT_EQ(left, (std::vector<std::string>{"MnTestBootA", "MnTestBootC"}));
}
