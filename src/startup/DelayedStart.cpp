#include "startup/DelayedStart.h"

#include "startup/BootSchedule.h"
#include "startup/DelayFile.h"
#include "startup/StartupEntries.h"

void DelayedStart::Start(HWND window, UINT timerId) {
    window_ = window;
    timerId_ = timerId;
    startTick_ = GetTickCount();
    LoadDelayedItems(DelayFilePath(), items_);
    SetTimer(window_, timerId_, kPeriodMs, nullptr);
}

void DelayedStart::OnTimer() {
    KillTimer(window_, timerId_);
    if (!reconciled_) {
        // Before any item starts, so a name active again is not left with a second copy.
        ReconcileStartupEntries();
        reconciled_ = true;
    }
    for (size_t k : DelayedStartTick(items_, TicksSince(startTick_, GetTickCount()))) {
        // A failed start counts as started: it would fail again on every tick.
        WinExec(CommandToRun(items_[k]).c_str(), SW_SHOWNORMAL);
        ++startedCount_;
    }
    if (startedCount_ < static_cast<int>(items_.size())) SetTimer(window_, timerId_, kPeriodMs, nullptr);
}
