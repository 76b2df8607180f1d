// The activity monitor: a thread that measures the kernel-mode processor time of every
// process in passes, and at the end of each cycle of 15 passes empties the working set of
// each process that stayed idle for the whole cycle.
#pragma once
#include <windows.h>

#include <array>
#include <atomic>
#include <vector>

class ProcessList;

// Positions in every table; processes enumerated from position 100 on are not watched.
constexpr int kMonitorPositions = 100;
constexpr int kPassesPerCycle = 15;
// Length of one measuring window, and of the pause after it.
constexpr DWORD kMonitorPassMs = 5000;
// Units of 100 ns per tick (15.625 ms).
constexpr LONGLONG kTickUnits = 156250;
// Largest tick sum over a cycle at which a process counts as idle.
constexpr int kIdleTickLimit = 5;

struct CpuTimeSample {
    ULONGLONG kernelTime;  // 100-ns units
    DWORD processId;
};

struct ActivitySample {
    int ticks;        // growth of kernel time during the pass, in ticks
    DWORD processId;  // 0: no process at this position
    char path[MAX_PATH];  // the image name; kept with the record, not used by the decision
};

using ActivityTable = std::array<ActivitySample, kMonitorPositions>;
using ActivityHistory = std::array<ActivityTable, kPassesPerCycle>;

// 1 while the monitor has been started and not stopped. Interface thread only.
extern int MonitorRunning;
// Entry i is 1 when the last completed cycle emptied the working set of the process at
// enumeration position i. Written by the monitor thread, read by any thread without a lock.
extern std::atomic<int> EnergySavedFlags[kMonitorPositions];

// Sets every flag to 0 and starts the monitor thread (a running one is stopped first).
// `passMs` is the length of a pass and of the pause after it.
void StartMonitor(DWORD passMs = kMonitorPassMs);
// Stops the thread at once and waits until it has ended: after the call no further trim
// happens and the flags keep their values. Nothing happens when it is not running.
void StopMonitor();
// The running thread (for measuring it), or null.
HANDLE MonitorThreadHandle();
// Cycles the running thread has completed since it started.
int MonitorCyclesCompleted();

// The thread body; returns only when asked to stop.
DWORD WINAPI RunMonitorCycle(LPVOID);
// One pass: reads the kernel time of the first kMonitorPositions processes, waits `passMs`,
// and writes each one's growth, with its id and image name, into `table` (a process that
// ended meanwhile stays a zero record). False when `stopEvent` was set during the wait.
// `snapshot` is the caller's buffer for the system's process records, reused between passes.
bool SampleActivityPass(ActivityTable& table, DWORD passMs, HANDLE stopEvent, std::vector<char>& snapshot);

// The end of a cycle: empties the working set (through `trim`) of every process of `list`
// under position kMonitorPositions that stayed idle over `history`, and sets the flags:
// 1 where `trim` succeeded, 0 elsewhere. False when `stop` was set before it was done.
bool TrimIdleProcesses(const ActivityHistory& history, const ProcessList& list, int (*trim)(DWORD), HANDLE stop);

// Whole ticks in a kernel-time growth from `before` to `after` (100-ns units), truncated
// toward zero as a signed value.
int PassTicks(ULONGLONG before, ULONGLONG after);
// Sum of the ticks recorded for `processId` over every slot and position of `history`.
int HistoryTicks(const ActivityHistory& history, DWORD processId);
// A process counts as idle when its ticks over a cycle sum to at most kIdleTickLimit
// (a process missing from the history has the sum 0).
inline bool CountsAsIdle(int tickSum) { return tickSum <= kIdleTickLimit; }
