#include "optimizer/LowMemory.h"

#include "app/RegistryKey.h"
#include "app/Settings.h"
#include "optimizer/BusyLoad.h"

int ReadAlertThreshold() {
    return static_cast<int>(ReadSettingDword(kRamAlertValue.name, kDefaultAlertThreshold, 0, kHighestStoredThreshold));
}

bool ShouldSoundAlert(bool soundOn, bool running, int freePercent, int threshold) {
    return soundOn && !running && freePercent <= threshold;
}

AutoStep DecideAutoStep(bool running, int freePercent, int load, int threshold, bool promptArmed, bool noticeDialog) {
    if (running) return {AutoAction::ShowRunning, false};
    if (freePercent > threshold || TooBusyForAutoRun(load)) return {AutoAction::None, true};
    if (!promptArmed) return {AutoAction::None, false};
    return {noticeDialog ? AutoAction::Ask : AutoAction::Start, false};
}

AutoAction DecideIntervalRun(int intervalMinutes, DWORD lastRunTick, DWORD nowTick, bool running, int load,
                             bool noticeDialog) {
    if (intervalMinutes < 1 || intervalMinutes > kLongestRunInterval) return AutoAction::None;
    // Unsigned difference: right across the wrap, as the interval is far below 49.7 days.
    DWORD elapsed = nowTick - lastRunTick;
    if (elapsed < static_cast<DWORD>(intervalMinutes) * 60000u) return AutoAction::None;
    if (running || TooBusyForAutoRun(load)) return AutoAction::None;
    return noticeDialog ? AutoAction::Ask : AutoAction::Start;
}
