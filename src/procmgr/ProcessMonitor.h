// The activity monitor: a thread that measures the kernel-mode processor time of every
// process in passes, and at the end of each cycle of 15 passes empties the working set of
// each process that stayed idle for the whole cycle.
#pragma once
#include <windows.h>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

#include "procmgr/ProcessList.h"
#include "ui/WorkerThread.h"

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
    char path[MAX_PATH];  // the image path from the list; kept with the record, not used by the decision
};

using ActivityTable = std::array<ActivitySample, kMonitorPositions>;
using ActivityHistory = std::array<ActivityTable, kPassesPerCycle>;
// Entry i holds the id of the process whose working set the last decision emptied at list
// position i, 0 where it emptied none. Each entry is one store, so a reader sees it whole.
using SavedTable = std::array<std::atomic<DWORD>, kMonitorPositions>;
// Empties the working set of a process; nonzero on success (TrimWorkingSet unless the monitor
// is given another).
using TrimCall = int (*)(DWORD processId);

// The monitor of one program: the main window holds it from start-up to exit and lends it
// to the process manager. Start, Stop and the readers belong to the interface thread.
class ProcessMonitor {
public:
    // `passMs` is the length of a pass and of the pause after it.
    explicit ProcessMonitor(DWORD passMs = kMonitorPassMs, TrimCall trim = TrimWorkingSet);

    // Clears the flags and starts the thread; a running one is stopped and joined first.
    void Start();
    // Asks the thread to stop and waits for it (bounded): no trim follows and the flags keep
    // their values. Nothing happens when it is not running.
    void Stop();
    // Started and not stopped since.
    bool Running() const { return running_; }
    // True when the last completed cycle emptied the working set of `processId`.
    bool EnergySaved(DWORD processId) const;
    // Cycles the running thread has completed since it started.
    int CyclesCompleted() const { return shared_->cycles; }
    // The running thread (for measuring it), or null.
    HANDLE Thread() const { return thread_.Handle(); }

private:
    // What the thread shares with the readers, held by both: a thread that outlived a
    // bounded stop keeps its block alive, and a new start makes another.
    struct Shared {
        SavedTable saved{};
        std::atomic<int> cycles{0};
    };
    std::shared_ptr<Shared> shared_;
    DWORD passMs_;
    TrimCall trim_;
    bool running_ = false;
    WorkerThread thread_;  // last: stopped before the members above go
};

// What the sampling passes keep from one to the next; the monitor thread's own.
struct SamplerState {
    ProcessList list;               // the processes watched, by position
    std::vector<char> snapshot;     // the system's process records, reused
    std::vector<ULONGLONG> listed;  // id and creation time of every process when `list` was made
};

// One pass over the first kMonitorPositions processes of the enumeration (made again when
// processes came or went): reads their kernel times, waits `passMs`, and writes each one's
// growth, with its id and path, into `table` at its list position (a process that could not
// be read, or ended meanwhile, stays a zero record). One system call reads every process's
// times. False when `stop` was set during the wait.
bool SampleActivityPass(ActivityTable& table, SamplerState& state, DWORD passMs, HANDLE stop);

// The decision at the end of a cycle: entry i is ids[i] when that process was sampled during
// the cycle and stayed idle over `history`, else 0. A process the cycle never sampled (one
// the enumeration could not open, one past the watched positions, one started after the
// last pass) is never chosen; positions from kMonitorPositions on are not decided.
std::array<DWORD, kMonitorPositions> IdleProcesses(const ActivityHistory& history, const std::vector<DWORD>& ids);
// Empties (through `trim`) each process IdleProcesses chooses and records in `saved` the id
// of each one emptied, 0 at every other position. False when `stop` was set before it was done.
bool TrimIdleProcesses(const ActivityHistory& history, const std::vector<DWORD>& ids, TrimCall trim, HANDLE stop,
                       SavedTable& saved);

// Whole ticks in a kernel-time growth from `before` to `after` (100-ns units), truncated
// toward zero as a signed value.
int PassTicks(ULONGLONG before, ULONGLONG after);
// Sum of the ticks recorded for `processId` over every slot and position of `history`.
int HistoryTicks(const ActivityHistory& history, DWORD processId);
// A process counts as idle when its ticks over a cycle sum to at most kIdleTickLimit.
inline bool CountsAsIdle(int tickSum) { return tickSum <= kIdleTickLimit; }
