#include "optimizer/LowMemory.h"

#include "app/RegistryKey.h"
#include "app/Settings.h"
#include "optimizer/BusyLoad.h"

int ReadAlertThreshold() {
    return static_cast<int>(ReadSettingDword("RamAlertValue", kDefaultAlertThreshold, 0, kHighestStoredThreshold));
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
