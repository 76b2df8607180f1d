#include "optimizer/RunFigures.h"

MemoryStatusBytes SettledMemoryStatus(const std::function<MemoryStatusBytes()>& read,
                                      const std::function<void(DWORD ms)>& wait, DWORD intervalMs) {
    // Pages a run let go of reach the free and standby lists over a moment (the modified
    // page writer works behind it): one reading right after the run undercounts.
    MemoryStatusBytes last = read();
    for (int readings = 1; readings < kMostSettleReadings; ++readings) {
        wait(intervalMs);
        MemoryStatusBytes now = read();
        std::uint64_t moved = now.AvailPhys > last.AvailPhys ? now.AvailPhys - last.AvailPhys
                                                             : last.AvailPhys - now.AvailPhys;
        last = now;
        if (moved <= kSettledBytes) break;
    }
    return last;
}
