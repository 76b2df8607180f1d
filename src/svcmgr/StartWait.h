// Waiting for a starting service with the system's check-point and wait-hint protocol.
#pragma once
#include <windows.h>
#include <winsvc.h>

#include <functional>

// Sleeping and the millisecond clock of the wait; both can be replaced, so a slow service can
// be waited for without the time passing.
struct StartWaitClock {
    std::function<void(DWORD ms)> sleep = [](DWORD ms) { Sleep(ms); };
    std::function<DWORD()> ticks = [] { return GetTickCount(); };
};

// Pause in milliseconds before the next status poll: a tenth of the wait hint, 1 to 10 s.
DWORD StartPollPause(DWORD waitHintMs);

// Longest wait for one start, whatever the service reports: one that advances its check
// point forever, or names a wait hint of days, would otherwise hold the window as long.
constexpr DWORD kStartWaitLimitMs = 120000;

// Polls `query` while `status` reads START_PENDING. Gives up when the check point has not
// advanced for longer than the wait hint, after kStartWaitLimitMs in all, or when a query
// fails; `status` then holds the last status read.
void WaitWhileStarting(SERVICE_STATUS& status, const std::function<bool(SERVICE_STATUS&)>& query,
                       const StartWaitClock& clock);
