// A process that does not end when terminated: Wine ends every process it is asked to, so
// the terminate call is replaced by one that is accepted and does nothing, and the wait of
// KillProcess runs against a real process that stays.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "driver/TestDriver.h"
#include "procmgr/ProcessList.h"

namespace {
const char kChild[] = MNEMORA_BINARY_DIR "\\tools\\procmgr_child.exe";

int gTerminateCalls = 0;
BOOL WINAPI AcceptedButIgnored(HANDLE, UINT) {
    ++gTerminateCalls;
    return TRUE;
}
}  // namespace

TEST(KillProcessBound, AProcessThatDoesNotEndIsGivenUpAfterTheWait) {
    driver::AppProcess child;
    ASSERT_TRUE(child.Start(kChild));
    DWORD begun = GetTickCount();
    EXPECT_EQ(KillProcess(child.Pid(), kKillWaitMs, &AcceptedButIgnored), 0);
    DWORD took = GetTickCount() - begun;
    EXPECT_EQ(gTerminateCalls, 1);
    EXPECT_GE(took, kKillWaitMs - 20);  // the tick count moves in steps of up to 16 ms
    EXPECT_LT(took, kKillWaitMs + 1500);
    std::printf("process that does not end: KillProcess gave up after %lu ms (bound %lu ms)\n",
                static_cast<unsigned long>(took), static_cast<unsigned long>(kKillWaitMs));
    EXPECT_TRUE(child.Running());
    // The real call ends it, well within the wait.
    begun = GetTickCount();
    EXPECT_EQ(KillProcess(child.Pid()), 1);
    EXPECT_LT(GetTickCount() - begun, kKillWaitMs);
    EXPECT_FALSE(child.Running());
}
