// Cost per call of the memory snapshot and the load sample next to the bare system
// calls they wrap (median of many batches).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "probes/CpuLoad.h"
#include "probes/MemoryStatus.h"
#include "probes/OsVersion.h"
#include "BenchClock.h"

namespace {
using StatusEx = BOOL(WINAPI*)(MEMORYSTATUSEX*);
using NtQuery = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

// Median microseconds per call of `bare` and of `wrapped`, over batches of `perBatch`
// calls taken in turn, so that drift of the shared machine hits both alike.
struct Pair {
    double bare, wrapped;
};
Pair MedianMicros(const std::function<void()>& bare, const std::function<void()>& wrapped, int batches = 101,
                  int perBatch = 100) {
    std::vector<double> b, w;
    for (int i = 0; i < batches; ++i) {
        double t0 = Now();
        for (int k = 0; k < perBatch; ++k) bare();
        double t1 = Now();
        for (int k = 0; k < perBatch; ++k) wrapped();
        double t2 = Now();
        b.push_back((t1 - t0) * 1e6 / perBatch);
        w.push_back((t2 - t1) * 1e6 / perBatch);
    }
    std::sort(b.begin(), b.end());
    std::sort(w.begin(), w.end());
    return {b[b.size() / 2], w[w.size() / 2]};
}

volatile long long gSink;

void Row(const char* wrapper, const char* bareName, Pair p) {
    std::printf("  %-22s %9.2f us   %-52s %9.2f us   (+%.2f us)\n", wrapper, p.wrapped, bareName, p.bare,
                p.wrapped - p.bare);
}
}  // namespace

int main() {
    HMODULE kernel = GetModuleHandleA("kernel32");
    auto statusEx = reinterpret_cast<StatusEx>(reinterpret_cast<void*>(GetProcAddress(kernel, "GlobalMemoryStatusEx")));
    auto ntQuery = reinterpret_cast<NtQuery>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll"), "NtQuerySystemInformation")));
    if (!statusEx || !ntQuery) return 1;

    auto bareStatusEx = [&] {
        MEMORYSTATUSEX s = {};
        s.dwLength = sizeof s;
        statusEx(&s);
        gSink = gSink + static_cast<long long>(s.ullAvailPhys);
    };
    auto bareNtQueries = [&] {
        alignas(8) unsigned char basic[64], tod[32], perf[312];
        ntQuery(0, basic, sizeof(void*) == 8 ? 64 : 44, nullptr);
        ntQuery(3, tod, sizeof tod, nullptr);
        ntQuery(2, perf, sizeof perf, nullptr);
        gSink = gSink + perf[0];
    };

    auto snapshot = [] { gSink = gSink + QueryMemorySnapshot().AvailPhysMB; };
    auto rawStatus = [] { gSink = gSink + QueryMemoryStatus().MemoryLoad; };
    auto sampleCpu = [] {
        int cpu = 0;
        SampleCpuLoad(cpu);
        gSink = gSink + cpu;
    };
    auto sampleLoad = [] {
        int cpu = 0, freeMem = 0;
        SampleLoad(cpu, freeMem);
        gSink = gSink + cpu + freeMem;
    };
    auto bareAll = [&] {
        bareNtQueries();
        bareStatusEx();
    };

    std::printf("NT line under Wine, %d-bit; median per call, wrapper vs the bare system calls it makes:\n",
                static_cast<int>(sizeof(void*) * 8));
    Row("QueryMemorySnapshot", "GlobalMemoryStatusEx", MedianMicros(bareStatusEx, snapshot));
    Row("QueryMemoryStatus", "GlobalMemoryStatusEx", MedianMicros(bareStatusEx, rawStatus));
    Row("SampleCpuLoad", "NtQuerySystemInformation x3 (classes 0, 3, 2)", MedianMicros(bareNtQueries, sampleCpu));
    Row("SampleLoad", "NtQuerySystemInformation x3 + GlobalMemoryStatusEx", MedianMicros(bareAll, sampleLoad));
    std::printf("Parts of the overhead:\n");
    Row("IsWindows9x", "nothing", MedianMicros([] {}, [] { gSink = gSink + IsWindows9x(); }));
    Row("load+free kernel32", "nothing (what looking the call up once saves)", MedianMicros([] {}, [] {
            HMODULE k = LoadLibraryA("Kernel32.DLL");
            gSink = gSink + (GetProcAddress(k, "GlobalMemoryStatusEx") != nullptr);
            FreeLibrary(k);
        }));
    return 0;
}
