// The delayed start after boot: the items of Delay.cfg, each started by this program a set
// number of minutes after a start with the "POWER" switch. Runs on the window's thread.
#pragma once
#include <windows.h>

#include <vector>

#include "startup/StartupItem.h"

class DelayedStart {
public:
    static constexpr UINT kPeriodMs = 250;

    // Takes the start time, loads the boot table from Delay.cfg and sets timer `timerId` of
    // `window`, which is to call OnTimer on each tick.
    void Start(HWND window, UINT timerId);
    // One tick: the clean-up of start-up entries on the first, then WinExec of every item whose
    // minute has come, in file order; the timer is set again while items are left.
    void OnTimer();

    const std::vector<StartupItem>& Items() const { return items_; }
    int StartedCount() const { return startedCount_; }

private:
    HWND window_ = nullptr;
    UINT timerId_ = 0;
    std::vector<StartupItem> items_;
    DWORD startTick_ = 0;
    int startedCount_ = 0;
    bool reconciled_ = false;
};
