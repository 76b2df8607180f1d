// Cost of the optimization step: commit, write and release of 256 MB, 1 GB and the
// block of each level on this machine, with the process's memory before, during and
// after, to show the block is handed back whole. bench/native_touch.c prints the same
// columns for a native mmap/memset/munmap, so the two can be read side by side.
// Usage: bench_optimize.exe [runs]   (default 7; a first run is shown apart)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "BenchClock.h"
#include "optimizer/AllocationPlan.h"
#include "optimizer/OptimizeRun.h"
#include "probes/MemoryStatus.h"

namespace {
const double kMB = 1048576.0;

struct Memory {
    double workingSet, peakWorkingSet, privateBytes, peakCommit;  // MB
};
Memory ProcessMemory() {
    PROCESS_MEMORY_COUNTERS_EX c{};
    c.cb = sizeof c;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c), sizeof c);
    return {c.WorkingSetSize / kMB, c.PeakWorkingSetSize / kMB, c.PrivateUsage / kMB, c.PeakPagefileUsage / kMB};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// One run of `step` timed, then `runs` more; ms of the first and the median of the rest.
struct Timing {
    double firstMs, medianMs;
    bool ok;
    DWORD error;  // of the failed run
};
Timing Time(const std::function<bool()>& step, int runs) {
    double t0 = Now();
    bool ok = step();
    Timing t{(Now() - t0) * 1e3, 0, ok, ok ? 0 : GetLastError()};
    std::vector<double> ms;
    for (int i = 0; i < runs && ok; ++i) {
        t0 = Now();
        ok = step();
        ms.push_back((Now() - t0) * 1e3);
    }
    t.medianMs = Median(ms);
    if (!ok && t.ok) t.error = GetLastError();
    t.ok = ok;
    return t;
}

void PrintHeader() {
    std::printf("  %-30s %9s %10s %6s %8s %8s %9s %8s %9s\n", "what", "first ms", "median ms", "MB/s", "peak WS",
                "WS after", "peak cmt", "private", "released");
}

// One row: the timing and the process's memory after the runs. The block counts as
// released when the working set and private bytes are back within 8 MB of `base`.
void PrintRow(const char* what, double mb, const Timing& t, const Memory& base) {
    Memory m = ProcessMemory();
    if (!t.ok) {
        std::printf("  %-30s FAILED (error %lu)\n", what, t.error);
        return;
    }
    bool released = m.workingSet - base.workingSet < 8 && m.privateBytes - base.privateBytes < 8;
    std::printf("  %-30s %9.1f %10.1f %6.0f %8.0f %8.1f %9.0f %8.1f %9s\n", what, t.firstMs, t.medianMs,
                mb > 0 && t.medianMs > 0 ? mb / (t.medianMs / 1e3) : 0.0, m.peakWorkingSet, m.workingSet,
                m.peakCommit, m.privateBytes, released ? "yes" : "NO");
}

// The three phases of TouchBlock apart, with the memory while the block is held.
void PhaseRow(std::uint64_t bytes, int runs) {
    std::vector<double> commit, write, rewrite, release;
    Memory held{};
    for (int i = 0; i < runs; ++i) {
        double t0 = Now();
        void* block = VirtualAlloc(nullptr, static_cast<SIZE_T>(bytes), MEM_COMMIT, PAGE_READWRITE);
        double t1 = Now();
        if (!block) {
            std::printf("  %6.0f MB: VirtualAlloc failed (error %lu)\n", bytes / kMB, GetLastError());
            return;
        }
        std::memset(block, 0, static_cast<size_t>(bytes));
        double t2 = Now();
        std::memset(block, 1, static_cast<size_t>(bytes));
        double t3 = Now();
        held = ProcessMemory();
        double t4 = Now();
        VirtualFree(block, 0, MEM_RELEASE);
        double t5 = Now();
        commit.push_back((t1 - t0) * 1e3);
        write.push_back((t2 - t1) * 1e3);
        rewrite.push_back((t3 - t2) * 1e3);
        release.push_back((t5 - t4) * 1e3);
    }
    double mb = bytes / kMB, w = Median(write);
    std::printf("  %6.0f MB: commit %7.2f ms  first write %8.1f ms (%5.0f MB/s)  rewrite %7.1f ms (%5.1f GB/s)"
                "  release %7.2f ms   held: WS %5.0f MB, private %5.0f MB\n",
                mb, Median(commit), w, mb / (w / 1e3), Median(rewrite), mb / 1024 / (Median(rewrite) / 1e3),
                Median(release), held.workingSet, held.privateBytes);
}

// Largest block (whole MB) that can be committed at all, found by halving; the block is
// not touched, so this costs address space only. VirtualQuery is no guide under Wine,
// which reports its own reserved areas as taken and still allocates from them.
std::uint64_t LargestCommitMB() {
    std::uint64_t low = 0, high = 4096;
    while (high - low > 1) {
        std::uint64_t mid = (low + high) / 2;
        void* block = VirtualAlloc(nullptr, static_cast<SIZE_T>(mid << 20), MEM_COMMIT, PAGE_READWRITE);
        if (block) VirtualFree(block, 0, MEM_RELEASE);
        (block ? low : high) = mid;
    }
    return low;
}

void PrintMachine() {
    MemoryStatusBytes s = QueryMemoryStatus();
    MEMORYSTATUS plain{};
    plain.dwLength = sizeof plain;
    GlobalMemoryStatus(&plain);
    std::printf("Optimization step under Wine, %d-bit%s; physical memory %.0f MB (GlobalMemoryStatus: %.0f MB)\n",
                static_cast<int>(sizeof(void*) * 8), sizeof(void*) == 4 ? " large-address-aware" : "",
                s.TotalPhys / kMB, plain.dwTotalPhys / kMB);
    if (sizeof(void*) == 4)
        std::printf("largest block that commits in this address space: %llu MB\n",
                    static_cast<unsigned long long>(LargestCommitMB()));
    std::printf("block of each level here:");
    for (int level = 1; level <= 8; ++level) std::printf("  %d: %.0f MB", level, StepBytes(level, s.TotalPhys) / kMB);
    std::printf("\n");
}
}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    PrintMachine();
    const Memory base = ProcessMemory();
    std::printf("at start: WS %.1f MB, private %.1f MB\n", base.workingSet, base.privateBytes);
    if (base.privateBytes == 0)
        std::printf("(this system reports no private bytes or commit: the working set shows the release)\n");
    std::printf("\n");

    std::printf("TouchBlock and RunOptimizeStep (first run, then median of %d):\n", runs);
    PrintHeader();
    const std::uint64_t sizes[] = {256ull << 20, 1024ull << 20};
    for (std::uint64_t bytes : sizes) {
        char what[64];
        std::snprintf(what, sizeof what, "TouchBlock %llu MB", static_cast<unsigned long long>(bytes >> 20));
        PrintRow(what, bytes / kMB, Time([bytes] { return TouchBlock(bytes); }, runs), base);
    }
    const std::uint64_t total = QueryMemoryStatus().TotalPhys;
    for (int level : {4, 8}) {
        char what[64];
        std::snprintf(what, sizeof what, "RunOptimizeStep %d (%.0f MB)", level, StepBytes(level, total) / kMB);
        PrintRow(what, StepBytes(level, total) / kMB,
                 Time([level] { return RunOptimizeStep(level, nullptr, false) != 0; }, runs), base);
    }
    PrintRow("RunOptimizeStep 8 + clipboard", StepBytes(8, total) / kMB,
             Time([] { return RunOptimizeStep(8, nullptr, true) != 0; }, runs), base);
    // Level 0 commits nothing: what is left is the cursor, the clipboard and the status call.
    PrintRow("RunOptimizeStep 0 + clipboard", 0, Time([] { return RunOptimizeStep(0, nullptr, true) == 0; }, runs),
             base);

    std::printf("\nphases (median of %d; rewrite = second write of the touched block):\n", runs);
    for (std::uint64_t bytes : sizes) PhaseRow(bytes, runs);

    // The largest block a step may ask for; a 32-bit address space may not hold it.
    std::printf("\nlargest step allowed, %.0f MB, once: ", kLargestStepBytes / kMB);
    double t0 = Now();
    bool ok = TouchBlock(kLargestStepBytes);
    double seconds = Now() - t0;
    if (ok)
        std::printf("%.1f ms (%.0f MB/s)\n", seconds * 1e3, kLargestStepBytes / kMB / seconds);
    else {
        DWORD error = GetLastError();
        std::printf("not committed (error %lu)\n", error);
    }
    Memory end = ProcessMemory();
    std::printf("at end: WS %.1f MB, private %.1f MB (start %.1f MB)\n", end.workingSet, end.privateBytes,
                base.privateBytes);
    return 0;
}
