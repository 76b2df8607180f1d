// Physical and virtual memory in whole megabytes, the baseline of an optimization run
// and the cached installed-memory figure.
#pragma once
#include <windows.h>

#include <cstdint>

struct MemorySnapshot {
    std::int32_t AvailPhysMB = 0;
    std::int32_t TotalPhysMB = 0;
    std::int32_t AvailVirtualMB = 0;
    std::int32_t TotalVirtualMB = 0;
};

// The status call's figures in bytes, widened to 64 bits on both lines.
struct MemoryStatusBytes {
    std::uint32_t MemoryLoad = 0;
    std::uint64_t TotalPhys = 0, AvailPhys = 0;
    std::uint64_t TotalPageFile = 0, AvailPageFile = 0;
    std::uint64_t TotalVirtual = 0, AvailVirtual = 0;
};

// A fresh snapshot; on the NT line TotalPhysMB is the installed memory. Zeroes when the
// status call cannot be made.
MemorySnapshot QueryMemorySnapshot();
// The raw status (GlobalMemoryStatusEx where it exists); zeroes when the call fails.
MemoryStatusBytes QueryMemoryStatus();
// Stores QueryMemorySnapshot() and QueryMemoryStatus() as the "before" figures of the run
// about to start.
void TakeBaselineSnapshot();
// The figures stored by the last TakeBaselineSnapshot; zeroes before the first.
MemorySnapshot BaselineSnapshot();
// The raw status (QueryMemoryStatus) stored by the same TakeBaselineSnapshot.
MemoryStatusBytes BaselineStatus();
// Free share of physical memory in percent, truncated; 100 when the total is 0, so an
// unknown total never looks like low memory.
std::int32_t FreePhysPercent(const MemorySnapshot& snapshot);

// Snapshot of a GlobalMemoryStatus record: physical figures raised to even megabytes.
MemorySnapshot SnapshotOfStatus(const MEMORYSTATUS& status);
// Snapshot of a GlobalMemoryStatusEx record, truncated; TotalPhysMB from the status too.
MemorySnapshot SnapshotOfStatusEx(const MEMORYSTATUSEX& status);

// Installed memory in MB from the memory modules, or kInstalledMemoryUnavailable when
// the modules cannot be asked. 0 means the modules were asked and reported none.
using InstalledMemorySource = std::int32_t (*)();
constexpr std::int32_t kInstalledMemoryUnavailable = -1;
// Replaces the module query (hwinfo's InstalledMemoryMB); nullptr counts as unavailable.
void SetInstalledMemorySource(InstalledMemorySource source);

// Installed-memory figure kept once known: asks the source while it has none, and falls
// back to (and keeps) the status call's total when the source is unavailable.
class InstalledMemoryCache {
public:
    // Total physical MB for a snapshot; `statusTotalPhys` in bytes.
    std::int32_t TotalPhysMB(InstalledMemorySource source, std::uint64_t statusTotalPhys);
    std::int32_t CachedMB() const { return cachedMB_; }

private:
    std::int32_t cachedMB_ = 0;
};

// The process-wide installed-memory figure, answered like a snapshot's TotalPhysMB.
std::int32_t InstalledPhysMB();
