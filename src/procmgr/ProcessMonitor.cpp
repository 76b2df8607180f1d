#include "procmgr/ProcessMonitor.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "procmgr/ProcessList.h"

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

// Monitor thread only; at most one thread runs at a time. Plain arrays, without
// destructors: the thread still runs while the program's exit destroys statics.
ActivityHistory gHistory;
ActivityTable gCurrent;

// The head of one SYSTEM_PROCESS_INFORMATION record, laid out alike from NT 4 on.
struct ProcessInfoHead {
    ULONG nextEntryOffset;
    ULONG threads;
    LARGE_INTEGER reserved[3];
    LARGE_INTEGER createTime;
    LARGE_INTEGER userTime;
    LARGE_INTEGER kernelTime;
    USHORT nameBytes;
    USHORT nameCapacity;
    const wchar_t* name;
    LONG basePriority;
    HANDLE processId;
};

struct ProcessTimes {
    DWORD id;
    ULONGLONG createTime, kernelTime;
    const wchar_t* name;
    int nameChars;
};

// Calls `visit` for every process but the idle process, with the times of one system-wide
// snapshot. One call reads every process's times: opening each process instead costs a
// round trip per process, twice a pass, for the life of the program. Visits nothing where
// the call is missing (the 9x line, which cannot tell other processes' times anyway).
template <class Visit>
void ForEachProcessTime(std::vector<char>& buffer, Visit visit) {
    using QueryFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    const ULONG kProcessInformation = 5;
    const LONG kLengthMismatch = static_cast<LONG>(0xC0000004);
    static const auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return;
    if (buffer.empty()) buffer.resize(256 * 1024);
    LONG status;
    for (;;) {
        ULONG needed = 0;
        status = query(kProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status != kLengthMismatch || buffer.size() >= 64u * 1024 * 1024) break;
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 64 * 1024));
    }
    if (status < 0) return;
    for (size_t at = 0;;) {
        const auto* head = reinterpret_cast<const ProcessInfoHead*>(buffer.data() + at);
        DWORD id = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(head->processId));
        if (id != 0)
            visit(ProcessTimes{id, static_cast<ULONGLONG>(head->createTime.QuadPart),
                               static_cast<ULONGLONG>(head->kernelTime.QuadPart), head->name, head->nameBytes / 2});
        if (head->nextEntryOffset == 0 || at + head->nextEntryOffset + sizeof *head > buffer.size()) break;
        at += head->nextEntryOffset;
    }
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

bool SampleActivityPass(ActivityTable& table, DWORD passMs, HANDLE stopEvent, std::vector<char>& snapshot) {
    std::memset(&table, 0, sizeof table);
    CpuTimeSample start[kMonitorPositions] = {};
    ULONGLONG created[kMonitorPositions] = {};
    size_t watched = 0;
    ForEachProcessTime(snapshot, [&](const ProcessTimes& p) {
        if (watched == static_cast<size_t>(kMonitorPositions)) return;
        start[watched] = {p.kernelTime, p.id};
        created[watched++] = p.createTime;
    });
    if (StopRequested(stopEvent, passMs)) return false;
    ForEachProcessTime(snapshot, [&](const ProcessTimes& p) {
        for (size_t i = 0; i < watched; ++i) {
            // The same id with another creation time is a new process that took a freed id.
            if (start[i].processId != p.id || created[i] != p.createTime) continue;
            ActivitySample& sample = table[i];
            sample.ticks = PassTicks(start[i].kernelTime, p.kernelTime);
            sample.processId = p.id;
            WideCharToMultiByte(CP_ACP, 0, p.name, p.nameChars, sample.path, MAX_PATH - 1, nullptr, nullptr);
            return;
        }
    });
    return true;
}

DWORD WINAPI RunMonitorCycle(LPVOID) {
    HANDLE stop = gMonitor.stop;
    DWORD passMs = gMonitor.passMs;
    // The thread's own: the program may end while it runs, and a static buffer would be
    // freed under it by the exit's destructors.
    std::vector<char> snapshot;
    for (;;) {
        std::memset(&gHistory, 0, sizeof gHistory);
        for (ActivityTable& slot : gHistory) {
            if (!SampleActivityPass(gCurrent, passMs, stop, snapshot)) return 0;
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
