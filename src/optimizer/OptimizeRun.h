// The optimization run's shared state and its allocation step.
#pragma once
#include <windows.h>

#include <cstdint>

// Serialises writes of OptimizeRunning; reads are plain.
class RunLockGuard {
public:
    RunLockGuard();
    ~RunLockGuard();
    RunLockGuard(const RunLockGuard&) = delete;
    RunLockGuard& operator=(const RunLockGuard&) = delete;
};

// Process-wide run state (the worker thread reads OptimizeLevel and writes nothing here).
extern volatile LONG OptimizeRunning;
extern int OptimizeLevel;
extern int AutoRun;
extern int ProgressTicks;

// Sets OptimizeRunning under the lock.
void SetOptimizeRunning(bool running);

// One allocation step of `eighths` (0..8) of physical memory: commit, write every byte,
// release. Empties the clipboard first when `cleanClipboard` (owner `owner`). Returns the
// bytes committed, 0 when nothing was (also a failed allocation, which stays silent).
std::uint64_t RunOptimizeStep(int eighths, HWND owner, bool cleanClipboard);

// Commits, writes and releases `bytes`; false when the block could not be committed.
bool TouchBlock(std::uint64_t bytes);
