#include "svcmgr/StartWait.h"

DWORD StartPollPause(DWORD waitHintMs) {
    DWORD pause = waitHintMs / 10;
    if (pause < 1000) return 1000;
    if (pause > 10000) return 10000;
    return pause;
}

void WaitWhileStarting(SERVICE_STATUS& status, const std::function<bool(SERVICE_STATUS&)>& query,
                       const StartWaitClock& clock) {
    DWORD progressTick = clock.ticks();
    DWORD checkPoint = status.dwCheckPoint;
    while (status.dwCurrentState == SERVICE_START_PENDING) {
        clock.sleep(StartPollPause(status.dwWaitHint));
        if (!query(status)) return;
        if (status.dwCheckPoint > checkPoint) {
            checkPoint = status.dwCheckPoint;
            progressTick = clock.ticks();
        } else if (clock.ticks() - progressTick > status.dwWaitHint) {  // unsigned: survives the wrap
            return;
        }
    }
}
