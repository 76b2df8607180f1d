// The activity monitor: its tick and idle rules on made-up histories, its decision step with
// a recording trim, and the real thread with short passes on real children.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

#include "driver/TestDriver.h"
#include "procmgr/ProcessList.h"
#include "procmgr/ProcessMonitor.h"
#include "ui/Handles.h"

using driver::AppProcess;
using driver::WaitUntil;

namespace {
const char kChild[] = MNEMORA_BINARY_DIR "\\tools\\procmgr_child.exe";
const ULONGLONG kMs = 10000;  // 100-ns units per millisecond

std::unique_ptr<ActivityHistory> EmptyHistory() {
    auto history = std::make_unique<ActivityHistory>();
    std::memset(history.get(), 0, sizeof *history);
    return history;
}

void Record(ActivityHistory& h, int slot, int position, DWORD id, int ticks) {
    h[slot][position].processId = id;
    h[slot][position].ticks = ticks;
}

std::vector<int> Flags() {
    std::vector<int> flags;
    for (const auto& f : EnergySavedFlags) flags.push_back(f);
    return flags;
}

void SetAllFlags(int value) {
    for (auto& f : EnergySavedFlags) f = value;
}

int PositionOf(DWORD pid) {
    ProcessList list;
    list.Refresh();
    for (size_t k = 0; k < list.ProcessIds.size(); ++k)
        if (list.ProcessIds[k] == pid) return static_cast<int>(k);
    return -1;
}

// Trims that succeed except for one id, remembering every id asked for.
std::vector<DWORD> gTrimmed;
DWORD gRefusedId = 0;
int RecordTrim(DWORD id) {
    gTrimmed.push_back(id);
    return id == gRefusedId ? 0 : 1;
}

class ProcessMonitorThread : public ::testing::Test {
protected:
    void TearDown() override { StopMonitor(); }
};
}  // namespace

TEST(ProcessMonitor, PassTicksAreWholeTicksTruncatedPerPass) {
    const struct {
        ULONGLONG before, after;
        int ticks;
    } cases[] = {
        {0, 78 * kMs, 4},   {0, 94 * kMs, 6},           {5000, 5000 + 15 * kMs, 0}, {0, 156249, 0},
        {0, 156250, 1},     {1ULL << 40, (1ULL << 40) + 5000 * kMs, 320},
    };
    for (const auto& c : cases) EXPECT_EQ(PassTicks(c.before, c.after), c.ticks) << c.after - c.before;
}

TEST(ProcessMonitor, IdleMeansAtMostFiveTicksOverTheWholeCycle) {
    auto h = EmptyHistory();
    Record(*h, 3, 0, 10, PassTicks(0, 78 * kMs));  // 78 ms in one pass: 4 ticks
    Record(*h, 3, 1, 11, PassTicks(0, 94 * kMs));  // 94 ms in one pass: 6 ticks
    for (int slot = 0; slot < kPassesPerCycle; ++slot) {
        Record(*h, slot, 2, 12, PassTicks(0, 15 * kMs));  // 15 ms every pass adds nothing
        if (slot < 6) Record(*h, slot, 3 + slot, 13, 1);  // one tick in six passes, moving position
    }
    const struct {
        DWORD id;
        int sum;
        bool idle;
    } cases[] = {{10, 4, true}, {11, 6, false}, {12, 0, true}, {13, 6, false}, {14, 0, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(HistoryTicks(*h, c.id), c.sum) << c.id;
        EXPECT_EQ(CountsAsIdle(HistoryTicks(*h, c.id)), c.idle) << c.id;
    }
}

TEST(ProcessMonitor, DecisionTrimsIdleProcessesUnderPosition100Only) {
    auto h = EmptyHistory();
    ProcessList list;
    for (DWORD i = 0; i < 150; ++i) {
        list.ProcessIds.push_back(1000 + i);
        list.ImagePaths.push_back("C:\\p.exe");
    }
    Record(*h, 0, 0, 1001, 6);   // busy
    Record(*h, 14, 7, 1002, 5);  // idle at the limit
    gTrimmed.clear();
    gRefusedId = 1003;           // idle, but the trim fails
    SetAllFlags(7);
    ASSERT_TRUE(TrimIdleProcesses(*h, list, RecordTrim, nullptr));
    std::vector<int> flags = Flags();
    ASSERT_EQ(gTrimmed.size(), 99u);
    for (DWORD id : gTrimmed) {
        EXPECT_LT(id, 1000u + kMonitorPositions);
        EXPECT_NE(id, 1001u);
    }
    EXPECT_EQ(flags[0], 1);
    EXPECT_EQ(flags[1], 0);
    EXPECT_EQ(flags[2], 1);
    EXPECT_EQ(flags[3], 0);
    EXPECT_EQ(flags[99], 1);

    // A shorter list clears the flags past its end; a set stop event ends the step early.
    list.ProcessIds.resize(2);
    list.ImagePaths.resize(2);
    SetAllFlags(7);
    ASSERT_TRUE(TrimIdleProcesses(*h, list, RecordTrim, nullptr));
    EXPECT_EQ(Flags()[2], 0);
    EXPECT_EQ(Flags()[99], 0);
    UniqueHandle stop(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    gTrimmed.clear();
    EXPECT_FALSE(TrimIdleProcesses(*h, list, RecordTrim, stop.get()));
    EXPECT_TRUE(gTrimmed.empty());
}

TEST_F(ProcessMonitorThread, ShortCyclesTrimIdleChildrenNotKernelBusyOnesAndAStopKeepsTheFlags) {
    AppProcess idle, kernelBusy, userBusy, late;
    ASSERT_TRUE(idle.Start(kChild));
    ASSERT_TRUE(kernelBusy.Start(kChild, "kernel"));
    ASSERT_TRUE(userBusy.Start(kChild, "user"));
    SetAllFlags(7);
    // Passes of 100 ms: the kernel-busy child gathers well over a tick in each.
    StartMonitor(100);
    EXPECT_EQ(MonitorRunning, 1);
    EXPECT_EQ(Flags(), std::vector<int>(kMonitorPositions, 0)) << "a start clears the flags";
    ASSERT_TRUE(WaitUntil([] { return MonitorCyclesCompleted() >= 1; }, 60000));
    const struct {
        const AppProcess& child;
        int flag;
        const char* what;
    } cases[] = {{idle, 1, "idle"}, {userBusy, 1, "busy in user mode only"}, {kernelBusy, 0, "busy in kernel mode"}};
    for (const auto& c : cases) {
        int position = PositionOf(c.child.Pid());
        ASSERT_GE(position, 0) << c.what;
        ASSERT_LT(position, kMonitorPositions) << c.what;
        EXPECT_EQ(EnergySavedFlags[position], c.flag) << c.what;
    }
    kernelBusy.Kill();
    userBusy.Kill();

    // A process started during a cycle has no history and is trimmed at its end.
    ASSERT_TRUE(late.Start(kChild));
    int cycles = MonitorCyclesCompleted();
    ASSERT_TRUE(WaitUntil([&] { return MonitorCyclesCompleted() > cycles; }, 60000));
    int position = PositionOf(late.Pid());
    ASSERT_GE(position, 0);
    EXPECT_EQ(EnergySavedFlags[position], 1);

    StopMonitor();
    EXPECT_EQ(MonitorRunning, 0);
    EXPECT_EQ(MonitorThreadHandle(), nullptr);
    std::vector<int> kept = Flags();
    EXPECT_NE(kept, std::vector<int>(kMonitorPositions, 0));
    // More than a cycle's time without a change: nothing decides any more.
    EXPECT_FALSE(WaitUntil([&] { return Flags() != kept; }, 3500));
}

TEST_F(ProcessMonitorThread, StopEndsAFiveSecondPassAtOnce) {
    StartMonitor();
    HANDLE thread = MonitorThreadHandle();
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 300), static_cast<DWORD>(WAIT_TIMEOUT)) << "the thread ended by itself";
    DWORD start = GetTickCount();
    StopMonitor();
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(MonitorThreadHandle(), nullptr);
    // Stopping again, or when nothing runs, is harmless.
    StopMonitor();
    EXPECT_EQ(MonitorRunning, 0);
}
