// The activity monitor: its tick and idle rules on made-up histories, its decision step with
// a recording trim, and the real thread with short passes on real children.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <memory>
#include <vector>

#include "driver/TestDriver.h"
#include "procmgr/ProcessList.h"
#include "procmgr/ProcessMonitor.h"
#include "procmgr/ProcessRows.h"
#include "ui/ControlTestHost.h"
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

// A handle of the caller's own to `thread`, to see it end after its owner let go.
UniqueHandle Watch(HANDLE thread) {
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return UniqueHandle(copy);
}
bool Ended(const UniqueHandle& thread) { return WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0; }

int RowOf(const ListView& view, DWORD pid) {
    for (int r = 0; r < view.Count(); ++r)
        if (view.Data(r) == static_cast<LPARAM>(pid)) return r;
    return -1;
}
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

// The list at the end of the cycle holds 150 processes; the passes sampled the first 100
// of theirs, in which the processes could stand elsewhere.
TEST(ProcessMonitor, DecidesAndTrimsOnlyProcessesItSampledAndFoundIdle) {
    const int none = -1;
    const struct {
        const char* what;
        DWORD id;
        int listPosition;
        int samplePosition;  // none: never sampled
        int ticks;           // in each of three passes
        bool emptied;
    } cases[] = {
        {"sampled idle", 10, 0, 0, 1, true},
        {"sampled busy", 11, 1, 1, 2, false},
        {"sampled idle at another position", 12, 2, 40, 0, true},
        {"never sampled (the enumeration could not open it then)", 13, 3, none, 0, false},
        {"last watched position, sampled idle", 14, 99, 99, 0, true},
        {"last watched position, never sampled (it stood past the sampled ones)", 15, 98, none, 0, false},
        {"past the watched positions, though sampled idle", 16, 120, 50, 0, false},
    };
    auto h = EmptyHistory();
    std::vector<DWORD> ids(150);
    for (size_t i = 0; i < ids.size(); ++i) ids[i] = 1000 + static_cast<DWORD>(i);  // never sampled
    std::array<DWORD, kMonitorPositions> expected{};
    for (const auto& c : cases) {
        ids[c.listPosition] = c.id;
        if (c.samplePosition != none)
            for (int slot : {0, 7, 14}) Record(*h, slot, c.samplePosition, c.id, c.ticks);
        if (c.emptied) expected[c.listPosition] = c.id;
    }
    std::array<DWORD, kMonitorPositions> idle = IdleProcesses(*h, ids);
    for (const auto& c : cases)
        if (c.listPosition < kMonitorPositions) {
            EXPECT_EQ(idle[c.listPosition], expected[c.listPosition]) << c.what;
        }
    EXPECT_EQ(idle, expected) << "a process no pass sampled was chosen";

    // The trims: only the chosen, and the flags hold the ids emptied, 0 for a failed trim and
    // past a shorter list's end (the entries there name processes of an earlier cycle).
    ids.resize(50);
    SavedTable saved{};
    for (auto& entry : saved) entry = 7;
    gTrimmed.clear();
    gRefusedId = 12;
    ASSERT_TRUE(TrimIdleProcesses(*h, ids, RecordTrim, nullptr, saved));
    EXPECT_EQ(gTrimmed, (std::vector<DWORD>{10, 12}));
    std::vector<DWORD> flags(saved.begin(), saved.end()), want(kMonitorPositions, 0);
    want[0] = 10;
    EXPECT_EQ(flags, want);
    // A set stop event ends the step before it trims or changes anything.
    UniqueHandle stop(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    gTrimmed.clear();
    saved[1] = 7;
    EXPECT_FALSE(TrimIdleProcesses(*h, ids, RecordTrim, stop.get(), saved));
    EXPECT_TRUE(gTrimmed.empty());
    EXPECT_EQ(saved[1], 7u);
}

TEST(ProcessMonitorThread, ShortCyclesTrimIdleChildrenAndTheWindowShowsEachFlagOnItsProcess) {
    AppProcess idle, kernelBusy, userBusy, late;
    ASSERT_TRUE(idle.Start(kChild));
    ASSERT_TRUE(kernelBusy.Start(kChild, "kernel"));
    ASSERT_TRUE(userBusy.Start(kChild, "user"));
    // Passes of 100 ms: the kernel-busy child gathers well over a tick in each.
    ProcessMonitor monitor(100);
    monitor.Start();
    EXPECT_TRUE(monitor.Running());
    ASSERT_TRUE(WaitUntil([&] { return monitor.CyclesCompleted() >= 1; }, 60000));
    const struct {
        const AppProcess& child;
        bool saved;
        const char* what;
    } cases[] = {
        {idle, true, "idle"}, {userBusy, true, "busy in user mode only"}, {kernelBusy, false, "busy in kernel mode"}};
    for (const auto& c : cases) EXPECT_EQ(monitor.EnergySaved(c.child.Pid()), c.saved) << c.what;
    EXPECT_FALSE(monitor.EnergySaved(0));
    monitor.Stop();
    EXPECT_FALSE(monitor.Running());
    EXPECT_EQ(monitor.Thread(), nullptr);
    EXPECT_TRUE(monitor.EnergySaved(idle.Pid())) << "a stop keeps the flags";

    // A process before the busy one ends: the window's rows move up, and each flag stays
    // with its process rather than with its place in the monitor's list.
    ASSERT_LT(PositionOf(idle.Pid()), PositionOf(kernelBusy.Pid()));
    DWORD gone = idle.Pid();
    idle.Kill();
    ASSERT_TRUE(WaitUntil([&] { return PositionOf(gone) < 0; }, 5000));
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    testhost::Host host(320, 140);
    ListView view;
    view.Attach(host.AddChild(WC_LISTVIEWA, "", LVS_REPORT, {0, 0, 300, 120}, 1055));
    view.SetUp(kToolListStyles, kProcessColumns);
    ProcessList rows;
    ASSERT_TRUE(FillProcessList(view, rows, monitor));
    int busyRow = RowOf(view, kernelBusy.Pid()), userRow = RowOf(view, userBusy.Pid());
    ASSERT_GE(busyRow, 0);
    ASSERT_GE(userRow, 0);
    ASSERT_GE(std::stod(view.Text(busyRow, 2)), 1.4) << "its working set alone would show Yes";
    EXPECT_EQ(view.Text(busyRow, 3), "");
    EXPECT_EQ(view.Text(userRow, 3), "Yes");
    kernelBusy.Kill();

    // A new start clears the flags; a process started during a cycle is emptied at the end
    // of the first cycle that sampled it.
    monitor.Start();
    EXPECT_FALSE(monitor.EnergySaved(userBusy.Pid()));
    userBusy.Kill();
    ASSERT_TRUE(late.Start(kChild));
    ASSERT_TRUE(WaitUntil([&] { return monitor.EnergySaved(late.Pid()); }, 60000));
    monitor.Stop();
    int cycles = monitor.CyclesCompleted();
    // More than a cycle's time without a change: nothing decides any more.
    EXPECT_FALSE(WaitUntil([&] { return monitor.CyclesCompleted() != cycles || !monitor.EnergySaved(late.Pid()); },
                           3500));
}

TEST(ProcessMonitorThread, StopEndsAFiveSecondPassAtOnceAndTheOwnerEndsItsThread) {
    UniqueHandle thread;
    {
        ProcessMonitor monitor;
        monitor.Start();
        ASSERT_NE(monitor.Thread(), nullptr);
        thread = Watch(monitor.Thread());
        EXPECT_FALSE(Ended(thread)) << "the thread ended by itself";
        // A start while it runs replaces the thread: the old one has ended by then.
        monitor.Start();
        EXPECT_TRUE(Ended(thread));
        thread = Watch(monitor.Thread());
        Sleep(300);
        DWORD start = GetTickCount();
        monitor.Stop();
        EXPECT_LT(GetTickCount() - start, 1000u);
        EXPECT_TRUE(Ended(thread));
        EXPECT_EQ(monitor.Thread(), nullptr);
        // Stopping again, or when nothing runs, is harmless.
        monitor.Stop();
        EXPECT_FALSE(monitor.Running());
        monitor.Start();
        thread = Watch(monitor.Thread());
    }
    // The owner going (the program's exit) ends the thread with it.
    EXPECT_TRUE(Ended(thread));
}
