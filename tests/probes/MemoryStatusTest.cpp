#include "probes/MemoryStatus.h"

#include <gtest/gtest.h>

namespace {
constexpr std::uint64_t kMB = 1048576;

MEMORYSTATUS Status(std::uint64_t availPhys, std::uint64_t totalPhys, std::uint64_t availVirtual = 0,
                    std::uint64_t totalVirtual = 0) {
    MEMORYSTATUS s = {};
    s.dwLength = sizeof s;
    s.dwAvailPhys = static_cast<SIZE_T>(availPhys);
    s.dwTotalPhys = static_cast<SIZE_T>(totalPhys);
    s.dwAvailVirtual = static_cast<SIZE_T>(availVirtual);
    s.dwTotalVirtual = static_cast<SIZE_T>(totalVirtual);
    return s;
}

MEMORYSTATUSEX StatusEx(std::uint64_t availPhys, std::uint64_t totalPhys, std::uint64_t availVirtual = 0,
                        std::uint64_t totalVirtual = 0) {
    MEMORYSTATUSEX s = {};
    s.dwLength = sizeof s;
    s.ullAvailPhys = availPhys;
    s.ullTotalPhys = totalPhys;
    s.ullAvailVirtual = availVirtual;
    s.ullTotalVirtual = totalVirtual;
    return s;
}

MemorySnapshot Snapshot(std::int32_t avail, std::int32_t total) {
    MemorySnapshot s;
    s.AvailPhysMB = avail;
    s.TotalPhysMB = total;
    return s;
}

int gSourceCalls = 0;
std::int32_t gSourceAnswer = 0;
std::int32_t CountingSource() {
    ++gSourceCalls;
    return gSourceAnswer;
}
}  // namespace

TEST(MemorySnapshot, NineXRaisesOddPhysicalFiguresToEvenButNotVirtualOnes) {
    MemorySnapshot s = SnapshotOfStatus(Status(255 * kMB + 1000, 383 * kMB, 127 * kMB, 2047 * kMB + 5));
    EXPECT_EQ(s.AvailPhysMB, 256);
    EXPECT_EQ(s.TotalPhysMB, 384);
    EXPECT_EQ(s.AvailVirtualMB, 127);
    EXPECT_EQ(s.TotalVirtualMB, 2047);
    EXPECT_EQ(FreePhysPercent(s), 66);
    EXPECT_EQ(SnapshotOfStatus(Status(128 * kMB, 256 * kMB)).AvailPhysMB, 128);
}

TEST(MemorySnapshot, NineXFiguresOfFourGigabytesStayPositive) {
    MemorySnapshot s = SnapshotOfStatus(Status(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu));
    EXPECT_EQ(s.AvailPhysMB, 4096);
    EXPECT_EQ(s.TotalPhysMB, 4096);
    EXPECT_EQ(s.AvailVirtualMB, 4095);
}

TEST(MemorySnapshot, NtTruncatesAndNeverTurnsNegative) {
    MemorySnapshot s = SnapshotOfStatusEx(StatusEx(511 * kMB + 9 * kMB / 10, 1024 * kMB, 2048 * kMB, 4096 * kMB));
    EXPECT_EQ(s.AvailPhysMB, 511);
    EXPECT_EQ(s.TotalPhysMB, 1024);
    EXPECT_EQ(s.AvailVirtualMB, 2048);
    EXPECT_EQ(s.TotalVirtualMB, 4096);

    MemorySnapshot big = SnapshotOfStatusEx(StatusEx(6144 * kMB, 8192 * kMB, 131072ull * 1024 * kMB,
                                                     131072ull * 1024 * kMB));
    EXPECT_EQ(big.AvailPhysMB, 6144);
    EXPECT_EQ(big.TotalVirtualMB, 134217728);
    EXPECT_EQ(SnapshotOfStatusEx(StatusEx(~0ull, ~0ull)).AvailPhysMB, 2147483647);
}

TEST(FreePhysPercent, TruncatesTheShare) {
    EXPECT_EQ(FreePhysPercent(Snapshot(511, 1024)), 49);
    EXPECT_EQ(FreePhysPercent(Snapshot(29, 100)), 29);
    EXPECT_EQ(FreePhysPercent(Snapshot(0, 512)), 0);
    EXPECT_EQ(FreePhysPercent(Snapshot(512, 512)), 100);
    EXPECT_EQ(FreePhysPercent(Snapshot(6144, 8192)), 75);
}

// The low-memory check fires at or below its threshold (at most 99): an unknown total
// must read as plenty free, never as a division fault or 0 %.
TEST(FreePhysPercent, ZeroTotalReadsAsAllFree) {
    EXPECT_EQ(FreePhysPercent(Snapshot(0, 0)), 100);
    EXPECT_EQ(FreePhysPercent(Snapshot(300, 0)), 100);
}

TEST(InstalledMemoryCache, KeepsTheFirstNonZeroFigureAndStopsAsking) {
    InstalledMemoryCache cache;
    gSourceCalls = 0;
    gSourceAnswer = 512;
    EXPECT_EQ(cache.TotalPhysMB(CountingSource, 500 * kMB), 512);
    gSourceAnswer = 1024;
    EXPECT_EQ(cache.TotalPhysMB(CountingSource, 500 * kMB), 512);
    EXPECT_EQ(gSourceCalls, 1);
    EXPECT_EQ(cache.CachedMB(), 512);
}

TEST(InstalledMemoryCache, ZeroModulesAreAskedAgainNextTime) {
    InstalledMemoryCache cache;
    gSourceCalls = 0;
    gSourceAnswer = 0;
    EXPECT_EQ(cache.TotalPhysMB(CountingSource, 500 * kMB), 0);
    EXPECT_EQ(cache.CachedMB(), 0);
    gSourceAnswer = 768;
    EXPECT_EQ(cache.TotalPhysMB(CountingSource, 500 * kMB), 768);
    EXPECT_EQ(gSourceCalls, 2);
}

TEST(InstalledMemoryCache, UnavailableSourceFallsBackToTheStatusTotalAndKeepsIt) {
    InstalledMemoryCache cache;
    gSourceCalls = 0;
    gSourceAnswer = kInstalledMemoryUnavailable;
    EXPECT_EQ(cache.TotalPhysMB(CountingSource, 1023 * kMB + 7), 1023);
    EXPECT_EQ(cache.TotalPhysMB(CountingSource, 2000 * kMB), 1023);
    EXPECT_EQ(gSourceCalls, 1);

    InstalledMemoryCache none;
    EXPECT_EQ(none.TotalPhysMB(nullptr, 4096 * kMB), 4096);
    EXPECT_EQ(none.CachedMB(), 4096);
}

// Wine's management service reports one module holding the status call's total.
TEST(MemorySnapshot, RealSnapshotAgreesWithTheStatusCall) {
    MemoryStatusBytes raw = QueryMemoryStatus();
    MemorySnapshot s = QueryMemorySnapshot();
    ASSERT_GT(raw.TotalPhys, 0u);
    EXPECT_EQ(s.TotalPhysMB, static_cast<std::int32_t>(raw.TotalPhys / kMB));
    EXPECT_EQ(InstalledPhysMB(), s.TotalPhysMB);
    EXPECT_GT(s.AvailPhysMB, 0);
    EXPECT_LE(s.AvailPhysMB, s.TotalPhysMB);
    EXPECT_GT(s.TotalVirtualMB, 0);
    EXPECT_LE(s.AvailVirtualMB, s.TotalVirtualMB);
    EXPECT_GE(raw.TotalPageFile, raw.AvailPageFile);
    EXPECT_LE(raw.MemoryLoad, 100u);
}

TEST(MemorySnapshot, BaselineHoldsTheFiguresOfItsMoment) {
    TakeBaselineSnapshot();
    MemorySnapshot now = QueryMemorySnapshot();
    EXPECT_EQ(BaselineSnapshot().TotalPhysMB, now.TotalPhysMB);
    EXPECT_EQ(BaselineSnapshot().TotalVirtualMB, now.TotalVirtualMB);
    EXPECT_GT(BaselineSnapshot().AvailPhysMB, 0);
}
