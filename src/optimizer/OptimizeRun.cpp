#include "optimizer/OptimizeRun.h"

#include <cstdint>
#include <cstring>

#include "optimizer/AllocationPlan.h"
#include "probes/MemoryStatus.h"
#include "ui/WaitCursor.h"

namespace {
// RunLock: serialises writes of OptimizeRunning. Made before any window exists and kept
// until the process ends.
struct RunLock {
    CRITICAL_SECTION section;
    RunLock() { InitializeCriticalSection(&section); }
    ~RunLock() { DeleteCriticalSection(&section); }
};
RunLock& Lock() {
    static RunLock lock;
    return lock;
}
const RunLock& kEarlyLock = Lock();  // created at start-up, not on first use from two threads

// The automatic run on its worker: the steps grow one eighth at a time and only the final one
// may empty the clipboard; a stop is honoured between steps.
void RunAutoSteps(HWND window, int level, bool cleanClipboard, HANDLE stop) {
    for (int i = 0; i < level && !WorkerThread::StopRequested(stop); ++i) {
        PostMessageA(window, WM_OPTIMIZE_PROGRESS, static_cast<WPARAM>(i), 0);
        RunOptimizeStep(i, window, false);
    }
    if (WorkerThread::StopRequested(stop)) return;
    RunOptimizeStep(level, window, cleanClipboard);
    PostMessageA(window, WM_OPTIMIZE_PROGRESS, kProgressComplete, 0);
    PostMessageA(window, WM_OPTIMIZE_DONE, 0, 0);
}

// The lists run on its worker: each chosen step is posted before it runs, and a stop is
// honoured between steps. The result is written before the end is posted.
void RunListSteps(HWND window, MemoryListSteps steps, MemoryListsAvailability available,
                  const MemoryListCalls& calls, MemoryListsResult& result, HANDLE stop) {
    result = RunMemoryLists(steps, available, calls, [&](MemoryListStep step) {
        if (WorkerThread::StopRequested(stop)) return false;
        PostMessageA(window, WM_OPTIMIZE_PROGRESS, static_cast<WPARAM>(step), 0);
        return true;
    });
    if (WorkerThread::StopRequested(stop)) return;
    PostMessageA(window, WM_OPTIMIZE_PROGRESS, kProgressComplete, 0);
    PostMessageA(window, WM_OPTIMIZE_DONE, 0, 0);
}
}  // namespace

bool TouchBlock(std::uint64_t bytes) {
    if (bytes == 0 || bytes > SIZE_MAX) return false;
    void* block = VirtualAlloc(nullptr, static_cast<SIZE_T>(bytes), MEM_COMMIT, PAGE_READWRITE);
    if (!block) return false;
    // Writing forces the system to give every page physical memory.
    std::memset(block, 0, static_cast<size_t>(bytes));
    VirtualFree(block, 0, MEM_RELEASE);
    return true;
}

std::uint64_t RunOptimizeStep(int eighths, HWND owner, bool cleanClipboard) {
    WaitCursor wait;
    if (cleanClipboard && OpenClipboard(owner)) {
        EmptyClipboard();
        CloseClipboard();
    }
    // The legacy call on purpose: it is what every line has, and a 32-bit build past 4 GB
    // sees its capped total, which keeps the lower presets below the 1,024 MB cut.
    MEMORYSTATUS status{};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    std::uint64_t bytes = StepBytes(eighths, status.dwTotalPhys);
    return TouchBlock(bytes) ? bytes : 0;
}

void WaitDispatchingSent(HANDLE object) {
    while (MsgWaitForMultipleObjects(1, &object, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        // Peeking delivers the sent messages; posted ones stay queued.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

OptimizeRun::~OptimizeRun() { StopAndWait(); }

void OptimizeRun::SetRunning(bool running) {
    EnterCriticalSection(&Lock().section);
    running_ = running;
    LeaveCriticalSection(&Lock().section);
}

bool OptimizeRun::BeginManual(int level) {
    if (Running()) return false;
    level_ = level;
    auto_ = false;
    ticks_ = 0;
    SetRunning(true);
    return true;
}

void OptimizeRun::RunManualStep(HWND owner, bool cleanClipboard) {
    TakeBaselineSnapshot();
    RunOptimizeStep(level_, owner, cleanClipboard);
}

OptimizeRun::AutoStart OptimizeRun::StartAuto(HWND window, int level, bool cleanClipboard) {
    if (Running()) return AutoStart::Busy;
    level_ = level;
    auto_ = true;
    return StartWorker([window, level, cleanClipboard](HANDLE stop) { RunAutoSteps(window, level, cleanClipboard, stop); });
}

OptimizeRun::AutoStart OptimizeRun::StartLists(HWND window, bool automatic, MemoryListSteps steps,
                                               MemoryListsAvailability available) {
    if (Running()) return AutoStart::Busy;
    auto_ = automatic;
    lists_ = std::make_shared<MemoryListsResult>();
    // The worker holds the result too: a bounded stop may leave it running past Finish.
    std::shared_ptr<MemoryListsResult> result = lists_;
    MemoryListCalls calls = calls_;
    return StartWorker([window, steps, available, calls, result](HANDLE stop) {
        RunListSteps(window, steps, available, calls, *result, stop);
    });
}

OptimizeRun::AutoStart OptimizeRun::StartWorker(WorkerThread::Task task) {
    ticks_ = 0;
    SetRunning(true);
    TakeBaselineSnapshot();
    if (!worker_.Start(std::move(task))) {
        Finish();
        return AutoStart::NoThread;
    }
    return AutoStart::Started;
}

const MemoryListsResult* OptimizeRun::ListsResult() {
    worker_.Join(WaitDispatchingSent);  // the worker has written the result before it posted the end
    return lists_.get();
}

void OptimizeRun::Finish() {
    worker_.Join(WaitDispatchingSent);
    SetRunning(false);
    level_ = ticks_ = 0;
    auto_ = false;
    lists_.reset();
}

void OptimizeRun::StopAndWait() {
    worker_.RequestStop();
    Finish();
}
