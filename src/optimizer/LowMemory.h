// Decisions of the once-a-second low-memory check.
#pragma once
#include <windows.h>

// Threshold in percent of free physical memory: RamAlertValue, 30 when unreadable or over 100.
int ReadAlertThreshold();
constexpr int kDefaultAlertThreshold = 30;

// The alert sound plays while memory is at or below the threshold and no run is in progress.
bool ShouldSoundAlert(bool soundOn, bool running, int freePercent, int threshold);

enum class AutoAction {
    None,         // nothing to do this tick
    ShowRunning,  // a run is in progress: show its icon and end the tick
    Ask,          // open the confirmation dialog
    Start,        // start an automatic run now
};
struct AutoStep {
    AutoAction action;
    bool arm;  // set PromptArmed (true while an automatic run may be started or offered)
};
// The automatic-optimization step of one tick (`autoDefrag` on is assumed by the caller).
AutoStep DecideAutoStep(bool running, int freePercent, int load, int threshold, bool promptArmed, bool noticeDialog);

// The run every N minutes: the longest interval the setting takes, in minutes.
constexpr int kLongestRunInterval = 1440;
// Whether the run every `intervalMinutes` (1..1440; 0 or anything else is off) is due at
// `nowTick`: Start, or Ask when `noticeDialog`, once the interval has passed since
// `lastRunTick` (GetTickCount values: the difference holds across the counter's wrap), no run
// is in progress and the processor is not too busy for an automatic run; else None. The caller restarts the interval
// (lastRunTick = now) when a run starts or the user declines.
AutoAction DecideIntervalRun(int intervalMinutes, DWORD lastRunTick, DWORD nowTick, bool running, int load,
                             bool noticeDialog);
