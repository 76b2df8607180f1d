// Prints what the real probes report, one "name=value" line each, into the file given
// as the first argument (standard output when it is missing or empty); "clock" as
// the second adds the clock text.
#include <windows.h>

#include <cstdio>
#include <string>

#include "hwinfo/CpuId.h"
#include "hwinfo/GuardProbe.h"
#include "hwinfo/ProcessorInfo.h"
#include "optimizer/MemoryLists.h"
#include "probes/CpuLoad.h"
#include "probes/MemoryStatus.h"
#include "probes/OsVersion.h"

int main(int argc, char** argv) {
    FILE* out = argc > 1 && argv[1][0] ? std::fopen(argv[1], "w") : stdout;
    if (!out) return 2;
    bool withClock = argc > 2 && std::string(argv[2]) == "clock";
    std::fprintf(out, "nine_x=%d\n", IsWindows9x() ? 1 : 0);
    std::fprintf(out, "suffix=%s\n", GetOSVersionSuffix().c_str());
    std::fprintf(out, "vista=%d\n", IsVistaOrLater() ? 1 : 0);
    MemorySnapshot m = QueryMemorySnapshot();
    std::fprintf(out, "avail_phys=%d\ntotal_phys=%d\navail_virtual=%d\ntotal_virtual=%d\n", m.AvailPhysMB,
                 m.TotalPhysMB, m.AvailVirtualMB, m.TotalVirtualMB);
    MemoryStatusBytes raw = QueryMemoryStatus();
    std::fprintf(out, "status_total_phys_mb=%llu\nstatus_total_page_mb=%llu\n", raw.TotalPhys >> 20,
                 raw.TotalPageFile >> 20);
    int cpu = 0, freeMem = 0;
    SampleLoad(cpu, freeMem);
    std::fprintf(out, "first_cpu=%d\nfree_mem=%d\n", cpu, freeMem);
    Sleep(100);
    cpu = 0;
    SampleCpuLoad(cpu);
    std::fprintf(out, "second_cpu=%d\n", cpu);
    std::fprintf(out, "guard_faulted=%d\n", GuardedUndefinedInstruction() ? 0 : 1);
    std::fprintf(out, "name=%s\n", GetProcessorName().c_str());
    std::fprintf(out, "display_name=%s\n", DisplayProcessorName().c_str());
    ProcessorInfo info;
    info.Identify();
    std::fprintf(out, "vendor=%s\nfamily=%d\nmodel=%d\next_family=%d\nl2=%d\ntsc_mhz=%d\n", info.VendorId,
                 info.Family, info.Model, info.ExtFamily, info.L2CacheKB, info.ClockMHz());
    if (withClock) std::fprintf(out, "clock=%s\n", GetProcessorClockText().c_str());
    // The lists run with the real calls: what this system offers and answers.
    MemoryListsAvailability available = MemoryListsAvailable();
    std::fprintf(out, "lists=%d\ncombine=%d\n", available.lists ? 1 : 0, available.combine ? 1 : 0);
    MemoryListsResult lists = RunMemoryLists(kAllMemoryListSteps, available, BindMemoryListCalls());
    std::fprintf(out, "list_privilege=%d\n", static_cast<int>(lists.privilege));
    for (int i = 0; i < kMemoryListStepCount; ++i)
        std::fprintf(out, "list_step%d=%d %08lX\n", i, static_cast<int>(lists.steps[i].outcome),
                     static_cast<unsigned long>(lists.steps[i].status));
    if (out != stdout) std::fclose(out);
    return 0;
}
