#include "hwinfo/CpuId.h"
#include "hwinfo/GuardProbe.h"
#include "hwinfo/ProcessorInfo.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>
#include <string>

namespace {
// Runs the guard checks through the top-level filter that systems before XP rely on.
class FilterGuard {
public:
    FilterGuard() { UseUnhandledFilterGuard(true); }
    ~FilterGuard() { UseUnhandledFilterGuard(false); }
};

void ExpectGuardWorks() {
    EXPECT_FALSE(GuardedUndefinedInstruction());
    EXPECT_FALSE(GuardedUndefinedInstruction());  // the guard is still armed after a fault
    CpuidRegs regs;
    ASSERT_TRUE(GuardedCpuid(0, regs));
    EXPECT_GE(regs.eax, 1u);
    std::uint64_t first = 0, second = 0;
    ASSERT_TRUE(GuardedRdtsc(first));
    ASSERT_TRUE(GuardedRdtsc(second));
    EXPECT_GT(second, first);
}

bool gReached = false;

// Stands for whatever handles faults when no guard is armed.
LONG CALLBACK CatchUd2(EXCEPTION_POINTERS* info) {
    if (info->ExceptionRecord->ExceptionCode != EXCEPTION_ILLEGAL_INSTRUCTION) return EXCEPTION_CONTINUE_SEARCH;
    gReached = true;
#ifdef _WIN64
    info->ContextRecord->Rip += 2;
#else
    info->ContextRecord->Eip += 2;
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}
}  // namespace

TEST(FaultGuard, FaultingInstructionCountsAsFailedAndExecutionGoesOn) { ExpectGuardWorks(); }

#ifndef _WIN64
// 64-bit Windows always has vectored handlers; only the 32-bit build needs the filter.
TEST(FaultGuard, TopLevelFilterGuardsAsWell) {
    FilterGuard filter;
    ExpectGuardWorks();
}
#endif

TEST(FaultGuard, FaultsOutsideAGuardAreNotSwallowed) {
    GuardedUndefinedInstruction();  // the guard's own handler is installed first
    gReached = false;
    PVOID mine = AddVectoredExceptionHandler(0, CatchUd2);
    ASSERT_NE(mine, nullptr);
    asm volatile("ud2" : : : "memory");
    RemoveVectoredExceptionHandler(mine);
    EXPECT_TRUE(gReached);
}

TEST(Cpuid, VendorTextOfThisProcessor) {
    // Under Wine the host kernel's own reading of the processor is a file away.
    std::ifstream cpuinfo("Z:\\proc\\cpuinfo");
    std::string line, expected;
    while (expected.empty() && std::getline(cpuinfo, line))
        if (line.rfind("vendor_id", 0) == 0) expected = line.substr(line.find(':') + 2);
    ASSERT_FALSE(expected.empty()) << "no vendor_id in /proc/cpuinfo";
    ASSERT_TRUE(EflagsIdBitToggles());
    ProcessorInfo info;
    info.Identify();
    EXPECT_STREQ(info.VendorId, expected.c_str());
}
