#include "hwinfo/CpuId.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

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
    ASSERT_TRUE(EflagsIdBitToggles());
    CpuidRegs regs;
    ASSERT_TRUE(RealCpu().Cpuid(0, regs));
    char vendor[13] = {};
    std::memcpy(vendor, &regs.ebx, 4);
    std::memcpy(vendor + 4, &regs.edx, 4);
    std::memcpy(vendor + 8, &regs.ecx, 4);
    EXPECT_EQ(std::strlen(vendor), 12u);
}
