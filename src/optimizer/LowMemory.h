// Decisions of the once-a-second low-memory check.
#pragma once

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
