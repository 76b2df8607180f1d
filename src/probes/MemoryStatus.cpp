#include "probes/MemoryStatus.h"

#include <limits>

#include "hwinfo/MemoryModules.h"
#include "probes/OsVersion.h"

namespace {
constexpr unsigned kMegabyteShift = 20;

std::int32_t Megabytes(std::uint64_t bytes) {
    std::uint64_t mb = bytes >> kMegabyteShift;
    const std::uint64_t limit = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(mb > limit ? limit : mb);
}

std::int32_t RoundUpToEven(std::int32_t mb) { return mb + (mb & 1); }

MemorySnapshot gBaseline;
MemoryStatusBytes gBaselineStatus;
static_assert(kModulesUnavailable == kInstalledMemoryUnavailable, "one answer for an unreachable source");
InstalledMemorySource gInstalledSource = InstalledMemoryMB;
InstalledMemoryCache gInstalledCache;

using StatusExFunction = BOOL(WINAPI*)(MEMORYSTATUSEX*);

// GlobalMemoryStatusEx is missing before 2000, so the import table must not name it.
// Looked up once: kernel32 stays loaded for the life of the process, and loading and
// freeing it on every query would cost a hundred times the call itself.
StatusExFunction StatusEx() {
    static const StatusExFunction function = reinterpret_cast<StatusExFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "GlobalMemoryStatusEx")));
    return function;
}

MemoryStatusBytes BytesOf(const MEMORYSTATUS& s) {
    MemoryStatusBytes b;
    b.MemoryLoad = s.dwMemoryLoad;
    b.TotalPhys = s.dwTotalPhys, b.AvailPhys = s.dwAvailPhys;
    b.TotalPageFile = s.dwTotalPageFile, b.AvailPageFile = s.dwAvailPageFile;
    b.TotalVirtual = s.dwTotalVirtual, b.AvailVirtual = s.dwAvailVirtual;
    return b;
}

MemoryStatusBytes BytesOf(const MEMORYSTATUSEX& s) {
    MemoryStatusBytes b;
    b.MemoryLoad = s.dwMemoryLoad;
    b.TotalPhys = s.ullTotalPhys, b.AvailPhys = s.ullAvailPhys;
    b.TotalPageFile = s.ullTotalPageFile, b.AvailPageFile = s.ullAvailPageFile;
    b.TotalVirtual = s.ullTotalVirtual, b.AvailVirtual = s.ullAvailVirtual;
    return b;
}
}  // namespace

MemorySnapshot SnapshotOfStatus(const MEMORYSTATUS& s) {
    MemorySnapshot snap;
    snap.AvailPhysMB = RoundUpToEven(Megabytes(s.dwAvailPhys));
    snap.TotalPhysMB = RoundUpToEven(Megabytes(s.dwTotalPhys));
    snap.AvailVirtualMB = Megabytes(s.dwAvailVirtual);
    snap.TotalVirtualMB = Megabytes(s.dwTotalVirtual);
    return snap;
}

MemorySnapshot SnapshotOfStatusEx(const MEMORYSTATUSEX& s) {
    MemorySnapshot snap;
    snap.AvailPhysMB = Megabytes(s.ullAvailPhys);
    snap.TotalPhysMB = Megabytes(s.ullTotalPhys);
    snap.AvailVirtualMB = Megabytes(s.ullAvailVirtual);
    snap.TotalVirtualMB = Megabytes(s.ullTotalVirtual);
    return snap;
}

std::int32_t InstalledMemoryCache::TotalPhysMB(InstalledMemorySource source, std::uint64_t statusTotalPhys) {
    if (cachedMB_ != 0) return cachedMB_;
    std::int32_t installed = source ? source() : kInstalledMemoryUnavailable;
    if (installed == kInstalledMemoryUnavailable) installed = Megabytes(statusTotalPhys);
    // A sum of 0 (no modules reported) is not kept: the next snapshot asks again.
    if (installed > 0) cachedMB_ = installed;
    return installed > 0 ? installed : 0;
}

void SetInstalledMemorySource(InstalledMemorySource source) { gInstalledSource = source; }

MemorySnapshot QueryMemorySnapshot() {
    MEMORYSTATUS status = {};
    status.dwLength = sizeof status;
    if (IsWindows9x()) {
        GlobalMemoryStatus(&status);
        return SnapshotOfStatus(status);
    }
    MemorySnapshot snap;
    std::uint64_t statusTotal = 0;
    if (StatusExFunction statusEx = StatusEx()) {
        MEMORYSTATUSEX statusEx64 = {};
        statusEx64.dwLength = sizeof statusEx64;
        if (!statusEx(&statusEx64)) return MemorySnapshot();
        snap = SnapshotOfStatusEx(statusEx64);
        statusTotal = statusEx64.ullTotalPhys;
    } else {
        GlobalMemoryStatus(&status);
        snap = SnapshotOfStatus(status);
        statusTotal = status.dwTotalPhys;
    }
    snap.TotalPhysMB = gInstalledCache.TotalPhysMB(gInstalledSource, statusTotal);
    return snap;
}

MemoryStatusBytes QueryMemoryStatus() {
    StatusExFunction statusEx = IsWindows9x() ? nullptr : StatusEx();
    if (statusEx) {
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof status;
        return statusEx(&status) ? BytesOf(status) : MemoryStatusBytes();
    }
    MEMORYSTATUS status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return BytesOf(status);
}

std::int32_t InstalledPhysMB() {
    if (gInstalledCache.CachedMB() != 0) return gInstalledCache.CachedMB();
    return gInstalledCache.TotalPhysMB(gInstalledSource, QueryMemoryStatus().TotalPhys);
}

void TakeBaselineSnapshot() {
    gBaseline = QueryMemorySnapshot();
    gBaselineStatus = QueryMemoryStatus();
}

MemorySnapshot BaselineSnapshot() { return gBaseline; }

MemoryStatusBytes BaselineStatus() { return gBaselineStatus; }

std::int32_t FreePhysPercent(const MemorySnapshot& s) {
    if (s.TotalPhysMB == 0) return 100;
    // Multiplying first keeps exact shares exact (29 of 100 is 29, not 28.999...).
    return static_cast<std::int32_t>(static_cast<double>(s.AvailPhysMB) * 100.0 / s.TotalPhysMB);
}
