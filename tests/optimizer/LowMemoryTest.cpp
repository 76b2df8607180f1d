#include "optimizer/LowMemory.h"

#include <gtest/gtest.h>

#include "app/RegistryKey.h"
#include "app/Settings.h"
#include "driver/TestDriver.h"

// One tick of the automatic path, with the prompt latch carried from tick to tick as the
// main window carries it.
namespace {
struct Ticker {
    bool armed = true;
    bool noticeDialog = true;
    AutoAction Tick(int freePercent, int load, bool running = false, int threshold = 30) {
        AutoStep step = DecideAutoStep(running, freePercent, load, threshold, armed, noticeDialog);
        if (step.arm) armed = true;
        return step.action;
    }
    void Decline() { armed = false; }
};
}  // namespace

TEST(LowMemoryDecision, AtTheThresholdALoadBelow75StartsAndAtItOnlyArms) {
    AutoStep step = DecideAutoStep(false, 30, 74, 30, true, false);
    EXPECT_EQ(step.action, AutoAction::Start);
    step = DecideAutoStep(false, 30, 75, 30, false, false);
    EXPECT_EQ(step.action, AutoAction::None);
    EXPECT_TRUE(step.arm);
    step = DecideAutoStep(false, 31, 10, 30, false, true);
    EXPECT_EQ(step.action, AutoAction::None);
    EXPECT_TRUE(step.arm);
    EXPECT_EQ(DecideAutoStep(false, 30, 74, 30, true, true).action, AutoAction::Ask);
    // A run in progress ends the tick whatever memory and load say.
    step = DecideAutoStep(true, 5, 0, 30, true, false);
    EXPECT_EQ(step.action, AutoAction::ShowRunning);
    EXPECT_FALSE(step.arm);
}

TEST(LowMemoryDecision, ADeclinedPromptStaysSilentUntilMemoryOrLoadRearmsIt) {
    Ticker t;
    ASSERT_EQ(t.Tick(20, 10), AutoAction::Ask);
    t.Decline();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(t.Tick(20, 10), AutoAction::None);
    EXPECT_EQ(t.Tick(31, 10), AutoAction::None);  // memory recovered: armed again
    EXPECT_EQ(t.Tick(20, 10), AutoAction::Ask);
    t.Decline();
    EXPECT_EQ(t.Tick(20, 75), AutoAction::None);  // a load peak re-arms too
    EXPECT_EQ(t.Tick(20, 74), AutoAction::Ask);
}

TEST(LowMemoryDecision, WithoutTheDialogEveryLowTickStartsARun) {
    Ticker t;
    t.noticeDialog = false;
    EXPECT_EQ(t.Tick(10, 0), AutoAction::Start);
    EXPECT_EQ(t.Tick(10, 0, true), AutoAction::ShowRunning);
    EXPECT_EQ(t.Tick(10, 0), AutoAction::Start);
    EXPECT_TRUE(t.armed);
}

TEST(LowMemoryDecision, TheSoundPlaysOnEveryLowTickWithoutARun) {
    EXPECT_TRUE(ShouldSoundAlert(true, false, 30, 30));
    EXPECT_FALSE(ShouldSoundAlert(true, false, 31, 30));
    EXPECT_FALSE(ShouldSoundAlert(true, true, 10, 30));
    EXPECT_FALSE(ShouldSoundAlert(false, false, 10, 30));
}

TEST(IntervalRun, DueAfterTheIntervalAcrossTheTickWrapWithTheAutomaticRunsGuards) {
    const DWORD kMinute = 60000, kWrapLast = 0xFFFFFFFFu - 30000;  // 30 s before the counter wraps
    struct Case {
        int minutes;
        DWORD last, now;
        bool running;
        int load;
        bool notice;
        AutoAction action;
    } cases[] = {
        {5, 1000, 1000 + 5 * kMinute, false, 74, false, AutoAction::Start},
        {5, 1000, 1000 + 5 * kMinute - 1, false, 10, false, AutoAction::None},
        {5, 1000, 1000 + 5 * kMinute, false, 10, true, AutoAction::Ask},
        {5, 1000, 1000 + 9 * kMinute, true, 10, false, AutoAction::None},   // a run in progress
        {5, 1000, 1000 + 9 * kMinute, false, 75, true, AutoAction::None},   // busy
        {0, 1000, 1000 + 9 * kMinute, false, 10, false, AutoAction::None},  // off
        {1441, 0, 0xFFFFFFF0u, false, 10, false, AutoAction::None},         // no interval: off
        {1440, 0, 1440 * kMinute, false, 10, false, AutoAction::Start},
        // 49.7 days: the counter wrapped between the last run and now.
        {1, kWrapLast, kWrapLast + kMinute, false, 10, false, AutoAction::Start},
        {1, kWrapLast, kWrapLast + kMinute - 1, false, 10, false, AutoAction::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecideIntervalRun(c.minutes, c.last, c.now, c.running, c.load, c.notice), c.action) << &c - cases;
}

TEST(LowMemoryThreshold, ReadAfreshWith30WhenMissingOrNoPercentage) {
    driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    EXPECT_EQ(ReadAlertThreshold(), 30);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProgramKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(ReadAlertThreshold(), 30);  // key without the value
    WriteSettingDword("RamAlertValue", 75);
    EXPECT_EQ(ReadAlertThreshold(), 75);
    WriteSettingDword("RamAlertValue", 12);
    EXPECT_EQ(ReadAlertThreshold(), 12);
    WriteSettingDword("RamAlertValue", 100);  // above what the window takes, still a percentage
    EXPECT_EQ(ReadAlertThreshold(), 100);
    // No percentage: as missing (0xFFFFFFFF would be -1, never low).
    for (DWORD stray : {101u, 0x80000000u, 0xFFFFFFFFu}) {
        WriteSettingDword("RamAlertValue", stray);
        EXPECT_EQ(ReadAlertThreshold(), 30) << stray;
    }
    driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
}
