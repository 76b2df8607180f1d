#include "procmgr/ProcessMonitor.h"

#include <algorithm>
#include <cstring>

#include "procmgr/ProcessList.h"
#include "ui/Handles.h"

int MonitorRunning = 0;
std::atomic<int> EnergySavedFlags[kMonitorPositions];

namespace {
// The running thread and the event it waits on instead of sleeping, so a stop ends it at
// once and cleanly (a thread killed from outside may die holding the heap or loader lock).
// Touched on the interface thread only; the thread reads `stop` and `passMs` as it starts.
struct MonitorState {
    HANDLE thread = nullptr;
    HANDLE stop = nullptr;
    DWORD passMs = kMonitorPassMs;
};
MonitorState gMonitor;
std::atomic<int> gCycles{0};

// Monitor thread only; at most one thread runs at a time.
ActivityHistory gHistory;
ActivityTable gCurrent;

bool KernelTime(HANDLE process, ULONGLONG& time) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
    time = (static_cast<ULONGLONG>(kernel.dwHighDateTime) << 32) | kernel.dwLowDateTime;
    return true;
}

size_t Watched(const ProcessList& list) {
    return std::min<size_t>(list.ProcessIds.size(), kMonitorPositions);
}

// Waits `ms`; true when the stop event was set (or cannot be waited on) meanwhile.
bool StopRequested(HANDLE stop, DWORD ms) {
    if (!stop) {
        Sleep(ms);
        return false;
    }
    return WaitForSingleObject(stop, ms) != WAIT_TIMEOUT;
}

}  // namespace

bool TrimIdleProcesses(const ActivityHistory& history, const ProcessList& list, int (*trim)(DWORD), HANDLE stop) {
    size_t watched = Watched(list);
    for (size_t i = 0; i < watched; ++i) {
        if (StopRequested(stop, 0)) return false;
        DWORD id = list.ProcessIds[i];
        EnergySavedFlags[i] = CountsAsIdle(HistoryTicks(history, id)) && trim(id) ? 1 : 0;
    }
    for (size_t i = watched; i < static_cast<size_t>(kMonitorPositions); ++i) EnergySavedFlags[i] = 0;
    return true;
}

int PassTicks(ULONGLONG before, ULONGLONG after) {
    return static_cast<int>(static_cast<LONGLONG>(after - before) / kTickUnits);
}

int HistoryTicks(const ActivityHistory& history, DWORD processId) {
    int sum = 0;
    for (const ActivityTable& slot : history)
        for (const ActivitySample& sample : slot)
            if (sample.processId == processId) sum += sample.ticks;
    return sum;
}

bool SampleActivityPass(ActivityTable& table, DWORD passMs, HANDLE stopEvent) {
    ProcessList list;
    list.Refresh();
    std::memset(&table, 0, sizeof table);
    CpuTimeSample start[kMonitorPositions] = {};
    size_t watched = Watched(list);
    for (size_t i = 0; i < watched; ++i) {
        UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, list.ProcessIds[i]));
        if (process && KernelTime(process.get(), start[i].kernelTime)) start[i].processId = list.ProcessIds[i];
    }
    if (StopRequested(stopEvent, passMs)) return false;
    for (size_t i = 0; i < watched; ++i) {
        DWORD id = list.ProcessIds[i];
        UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        ULONGLONG now = 0;
        if (!process || start[i].processId != id || !KernelTime(process.get(), now)) continue;
        ActivitySample& sample = table[i];
        sample.ticks = PassTicks(start[i].kernelTime, now);
        sample.processId = id;
        lstrcpynA(sample.path, list.ImagePaths[i].c_str(), MAX_PATH);
    }
    return true;
}

DWORD WINAPI RunMonitorCycle(LPVOID) {
    HANDLE stop = gMonitor.stop;
    DWORD passMs = gMonitor.passMs;
    for (;;) {
        std::memset(&gHistory, 0, sizeof gHistory);
        for (ActivityTable& slot : gHistory) {
            if (!SampleActivityPass(gCurrent, passMs, stop)) return 0;
            slot = gCurrent;
            if (StopRequested(stop, passMs)) return 0;
        }
        ProcessList list;
        list.Refresh();
        if (!TrimIdleProcesses(gHistory, list, TrimWorkingSet, stop)) return 0;
        ++gCycles;
    }
}

void StartMonitor(DWORD passMs) {
    StopMonitor();
    for (std::atomic<int>& flag : EnergySavedFlags) flag = 0;
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!stop) return;
    gMonitor.stop = stop;
    gMonitor.passMs = passMs;
    gCycles = 0;
    DWORD id = 0;
    gMonitor.thread = CreateThread(nullptr, 0, RunMonitorCycle, nullptr, 0, &id);
    if (!gMonitor.thread) {
        CloseHandle(stop);
        gMonitor.stop = nullptr;
        return;
    }
    MonitorRunning = 1;
}

void StopMonitor() {
    MonitorRunning = 0;
    if (!gMonitor.thread) return;
    SetEvent(gMonitor.stop);
    // The thread looks at the event between every two steps of its work, none of which
    // blocks, so this wait is short.
    WaitForSingleObject(gMonitor.thread, INFINITE);
    CloseHandle(gMonitor.thread);
    CloseHandle(gMonitor.stop);
    gMonitor.thread = nullptr;
    gMonitor.stop = nullptr;
}

HANDLE MonitorThreadHandle() { return gMonitor.thread; }

int MonitorCyclesCompleted() { return gCycles; }
