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

// What the worker needs, owned by the worker: the run object may not outlive it.
struct OptimizeRun::Job {
    Job(HWND w, int l, bool clean) : window(w), level(l), cleanClipboard(clean) {}
    HWND window;
    int level;
    bool cleanClipboard;
    HANDLE stop = nullptr;  // duplicated for the worker, closed by it
    // A lists run: what to run and where its result goes (shared with the run).
    MemoryListSteps steps = 0;
    MemoryListsAvailability available;
    MemoryListCalls calls;
    std::shared_ptr<MemoryListsResult> result;
};

HANDLE OptimizeRun::StartThread(LPTHREAD_START_ROUTINE body, LPVOID parameter) {
    DWORD id = 0;
    return CreateThread(nullptr, 0, body, parameter, 0, &id);
}

OptimizeRun::OptimizeRun(ThreadStarter startThread, MemoryListCalls calls)
    : startThread_(startThread), calls_(std::move(calls)), stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

OptimizeRun::~OptimizeRun() { StopAndWait(); }

void OptimizeRun::SetRunning(bool running) {
    EnterCriticalSection(&Lock().section);
    running_ = running ? 1 : 0;
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
    return StartWorker(new Job{window, level, cleanClipboard});
}

OptimizeRun::AutoStart OptimizeRun::StartLists(HWND window, bool automatic, MemoryListSteps steps,
                                               MemoryListsAvailability available) {
    if (Running()) return AutoStart::Busy;
    auto_ = automatic;
    lists_ = std::make_shared<MemoryListsResult>();
    Job* job = new Job{window, 0, false};
    job->steps = steps;
    job->available = available;
    job->calls = calls_;
    job->result = lists_;
    return StartWorker(job);
}

OptimizeRun::AutoStart OptimizeRun::StartWorker(Job* job) {
    ticks_ = 0;
    SetRunning(true);
    TakeBaselineSnapshot();
    if (stop_) {
        ResetEvent(stop_.get());
        DuplicateHandle(GetCurrentProcess(), stop_.get(), GetCurrentProcess(), &job->stop, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    }
    worker_.reset(startThread_(Worker, job));
    if (!worker_) {
        if (job->stop) CloseHandle(job->stop);
        delete job;
        Finish();
        return AutoStart::NoThread;
    }
    return AutoStart::Started;
}

const MemoryListsResult* OptimizeRun::ListsResult() {
    Join();  // the worker has written the result before it posted the end
    return lists_.get();
}

void OptimizeRun::RunLists(Job& job, const std::function<bool()>& stopped) {
    *job.result = RunMemoryLists(job.steps, job.available, job.calls, [&](MemoryListStep step) {
        if (stopped()) return false;
        PostMessageA(job.window, WM_OPTIMIZE_PROGRESS, static_cast<WPARAM>(step), 0);
        return true;
    });
}

DWORD WINAPI OptimizeRun::Worker(LPVOID parameter) {
    Job* job = static_cast<Job*>(parameter);
    std::function<bool()> stopped = [job] { return job->stop && WaitForSingleObject(job->stop, 0) == WAIT_OBJECT_0; };
    if (job->result) {
        RunLists(*job, stopped);
    } else {
        // The steps grow one eighth at a time; only the final one may empty the clipboard.
        for (int i = 0; i < job->level && !stopped(); ++i) {
            PostMessageA(job->window, WM_OPTIMIZE_PROGRESS, static_cast<WPARAM>(i), 0);
            RunOptimizeStep(i, job->window, false);
        }
        if (!stopped()) RunOptimizeStep(job->level, job->window, job->cleanClipboard);
    }
    if (!stopped()) {
        PostMessageA(job->window, WM_OPTIMIZE_PROGRESS, kProgressComplete, 0);
        PostMessageA(job->window, WM_OPTIMIZE_DONE, 0, 0);
    }
    if (job->stop) CloseHandle(job->stop);
    delete job;
    return 0;
}

void OptimizeRun::Join() {
    if (!worker_) return;
    WaitDispatchingSent(worker_.get());
    worker_.reset();
}

void OptimizeRun::Finish() {
    Join();
    SetRunning(false);
    level_ = ticks_ = 0;
    auto_ = false;
    lists_.reset();
}

void OptimizeRun::StopAndWait() {
    if (worker_ && stop_) SetEvent(stop_.get());
    Finish();
}
