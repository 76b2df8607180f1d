// Cost of the memory lists run around its system calls (lookups, privilege handling, result
// and report building), with the calls answered at once through the injected table, beside
// the optimization run's smallest step in the same process.
// Usage: bench_memory_lists.exe [runs of the optimization step]   (default 5)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "BenchClock.h"
#include "optimizer/AllocationPlan.h"
#include "optimizer/MemoryLists.h"
#include "optimizer/OptimizeRun.h"
#include "optimizer/ReportText.h"
#include "probes/MemoryStatus.h"

namespace {
volatile long long gSink;

// Median microseconds per call of `work` over `batches` batches of `perBatch` calls.
double MedianMicros(const std::function<void()>& work, int batches = 101, int perBatch = 100) {
    std::vector<double> us;
    for (int i = 0; i < batches; ++i) {
        double t0 = Now();
        for (int k = 0; k < perBatch; ++k) work();
        us.push_back((Now() - t0) * 1e6 / perBatch);
    }
    std::sort(us.begin(), us.end());
    return us[us.size() / 2];
}

// Every call answers at once: success, a token that is no handle, nothing changed.
MemoryListCalls InstantCalls() {
    MemoryListCalls c;
    c.setSystemInformation = [](ULONG, void*, ULONG) { return kStatusSuccess; };
    c.openProcessToken = [](HANDLE, DWORD, HANDLE* token) {
        *token = reinterpret_cast<HANDLE>(1);
        return TRUE;
    };
    c.lookupPrivilegeValue = [](const char*, const char*, LUID* luid) {
        *luid = LUID{13, 0};
        return TRUE;
    };
    c.adjustTokenPrivileges = [](HANDLE, BOOL, TOKEN_PRIVILEGES* state, DWORD, TOKEN_PRIVILEGES* previous, DWORD*) {
        if (previous) *previous = *state;
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    };
    c.closeHandle = [](HANDLE) { return TRUE; };
    return c;
}

void Row(const char* what, double us) { std::printf("  %-62s %10.2f us\n", what, us); }
}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const MemoryListsAvailability all{true, true};
    const MemoryListCalls instant = InstantCalls();
    MemoryListCalls wineToken = BindMemoryListCalls();  // Wine's token calls, instant system calls
    wineToken.setSystemInformation = instant.setSystemInformation;
    const MemoryListCalls wine = BindMemoryListCalls();
    ReportLanguage lang;
    auto run = [&](const MemoryListCalls& calls) {
        gSink = gSink + static_cast<long long>(RunMemoryLists(kAllMemoryListSteps, all, calls).pagesCombined);
    };

    std::printf("Memory lists run under Wine, %d-bit; median per call:\n", static_cast<int>(sizeof(void*) * 8));
    double bind = MedianMicros([] { gSink = gSink + static_cast<bool>(BindMemoryListCalls().setSystemInformation); });
    double own = MedianMicros([&] { run(instant); });
    Row("BindMemoryListCalls (ntdll and advapi32 lookups)", bind);
    Row("RunMemoryLists, 4 steps, every call answered at once", own);
    Row("  both: what the run adds around its system calls", bind + own);
    Row("BuildListsReportTexts", MedianMicros([&] {
            gSink = gSink + static_cast<long long>(BuildListsReportTexts(MemoryListsResult(), {}, lang).cells[0][0].size());
        }));
    Row("RunMemoryLists with Wine's token calls, system calls at once", MedianMicros([&] { run(wineToken); }));
    Row("RunMemoryLists bound to Wine (NtSetSystemInformation is a stub)", MedianMicros([&] { run(wine); }));

    MemoryStatusBytes status = QueryMemoryStatus();
    MEMORYSTATUS plain{};
    plain.dwLength = sizeof plain;
    GlobalMemoryStatus(&plain);
    std::uint64_t bytes = StepBytes(1, plain.dwTotalPhys);
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        double t0 = Now();
        gSink = gSink + static_cast<long long>(RunOptimizeStep(1, nullptr, false));
        ms.push_back((Now() - t0) * 1e3);
    }
    std::sort(ms.begin(), ms.end());
    double stepMs = ms[ms.size() / 2];
    std::printf("Optimization run's smallest step (one eighth: %.0f MB of %.0f MB), median of %d runs:\n",
                bytes / 1048576.0, status.TotalPhys / 1048576.0, runs);
    std::printf("  %-62s %10.1f ms\n", "RunOptimizeStep(1)", stepMs);
    std::printf("The lists run's own cost is %.5f %% of that step.\n", (bind + own) / 1e3 / stepMs * 100);
    return 0;
}
