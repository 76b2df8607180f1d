// The optimization run: its allocation step and the one owner of a run's state.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include <memory>

#include "optimizer/MemoryLists.h"
#include "ui/WorkerThread.h"

// End of an automatic run, posted by the worker to its window; both parameters 0.
constexpr UINT WM_OPTIMIZE_DONE = 0x110A;
// Progress of an automatic run, posted by the worker: wParam is the step about to run
// (0 .. level - 1), or kProgressComplete once the final step has run.
constexpr UINT WM_OPTIMIZE_PROGRESS = WM_APP + 0x10A;
constexpr WPARAM kProgressComplete = 0xFFFF;

// One allocation step of `eighths` (0..8) of physical memory: commit, write every byte,
// release. Empties the clipboard first when `cleanClipboard` (owner `owner`). Returns the
// bytes committed, 0 when nothing was (also a failed allocation, which stays silent).
std::uint64_t RunOptimizeStep(int eighths, HWND owner, bool cleanClipboard);

// Commits, writes and releases `bytes`; false when the block could not be committed.
bool TouchBlock(std::uint64_t bytes);

// The process's optimization run: only one at a time. Lives on the user-interface thread;
// an automatic run's worker reads nothing of it but what it was started with, and reports
// only by posting to the window (never sending), so the interface thread may wait for it.
class OptimizeRun {
public:
    // `starter` starts the worker thread (WorkerThread::CreateWorker unless the run is given
    // another); `calls` are the system calls a lists run makes.
    explicit OptimizeRun(WorkerThread::ThreadStarter starter = &WorkerThread::CreateWorker,
                         MemoryListCalls calls = BindMemoryListCalls())
        : calls_(std::move(calls)), worker_(starter) {}
    ~OptimizeRun();
    OptimizeRun(const OptimizeRun&) = delete;
    OptimizeRun& operator=(const OptimizeRun&) = delete;

    // OptimizeRunning: written under the process-wide run lock, read without it.
    bool Running() const { return running_; }
    // OptimizeLevel: eighths of the final step; 0 at rest.
    int Level() const { return level_; }
    // AutoRun: the current or last run was automatic (selects the report headline).
    bool IsAuto() const { return auto_; }
    // The current run empties the system's memory lists (StartLists).
    bool IsLists() const { return lists_ != nullptr; }
    // ProgressTicks of a manual run's animation; 0 at rest.
    int ProgressTicks() const { return ticks_; }

    // Manual run: false while a run is in progress.
    bool BeginManual(int level);
    // One tick of the animation; returns ProgressTicks after it.
    int AdvanceTick() { return ++ticks_; }
    // The baseline snapshot and the manual run's single step, on this thread.
    void RunManualStep(HWND owner, bool cleanClipboard);

    enum class AutoStart { Started, Busy, NoThread };
    // Takes the baseline and starts the worker: steps 0 .. level - 1 without the clipboard,
    // then the final step `level`, progress and completion posted to `window`. With
    // NoThread nothing ran and the run is at rest again.
    AutoStart StartAuto(HWND window, int level, bool cleanClipboard);

    // Lists run, manual or automatic: takes the baseline and starts the worker, which runs
    // the chosen `steps` that `available` allows (RunMemoryLists), posting each step before
    // it runs, then kProgressComplete and WM_OPTIMIZE_DONE to `window`. With NoThread nothing
    // ran and the run is at rest again.
    AutoStart StartLists(HWND window, bool automatic, MemoryListSteps steps, MemoryListsAvailability available);
    // What the lists run did; waits for its worker to end first. Valid from WM_OPTIMIZE_DONE
    // until Finish; null when the current run is no lists run.
    const MemoryListsResult* ListsResult();

    // Back to rest after the completion was handled: the worker is joined.
    void Finish();
    // Asks a worker to stop between steps and waits for it, dispatching messages sent to
    // this thread meanwhile. The run is at rest afterwards.
    void StopAndWait();

private:
    void SetRunning(bool running);
    AutoStart StartWorker(WorkerThread::Task task);

    std::atomic<bool> running_{false};
    int level_ = 0;
    bool auto_ = false;
    int ticks_ = 0;
    MemoryListCalls calls_;
    // A lists run's result, written by its worker before it posts the end.
    std::shared_ptr<MemoryListsResult> lists_;
    WorkerThread worker_;  // the run's thread, joined before the run is at rest
};

// Waits for `object` while dispatching the messages other threads send to this one, so a
// thread that sends to this thread's windows cannot deadlock against the wait.
void WaitDispatchingSent(HANDLE object);
