#include "svcmgr/StartWait.h"

DWORD StartPollPause(DWORD waitHintMs) {
    DWORD pause = waitHintMs / 10;
    if (pause < 1000) return 1000;
    if (pause > 10000) return 10000;
    return pause;
}

void WaitWhileStarting(SERVICE_STATUS& status, const std::function<bool(SERVICE_STATUS&)>& query,
                       const StartWaitClock& clock) {
    const DWORD firstTick = clock.ticks();
    DWORD progressTick = firstTick;
    DWORD checkPoint = status.dwCheckPoint;
    while (status.dwCurrentState == SERVICE_START_PENDING) {
        DWORD spent = clock.ticks() - firstTick;  // unsigned: survives the wrap
        if (spent >= kStartWaitLimitMs) return;
        DWORD pause = StartPollPause(status.dwWaitHint);
        clock.sleep(pause < kStartWaitLimitMs - spent ? pause : kStartWaitLimitMs - spent);
        if (!query(status)) return;
        if (status.dwCheckPoint > checkPoint) {
            checkPoint = status.dwCheckPoint;
            progressTick = clock.ticks();
        } else if (clock.ticks() - progressTick > status.dwWaitHint) {  // unsigned: survives the wrap
            return;
        }
    }
}
