// One worker thread and the event that asks it to stop, with one owner.
#pragma once
#include <windows.h>

#include <functional>

#include "ui/Handles.h"

// The task runs on its own thread with a stop event it waits on between its steps instead of
// sleeping. The thread owns the task (and whatever the task holds) and destroys it when the
// task returns, so a thread that outlives a bounded Stop touches nothing of its owner's.
class WorkerThread {
public:
    using Task = std::function<void(HANDLE stop)>;
    // Starts a thread running `body(parameter)` and returns its handle, null when none started;
    // CreateWorker unless the owner is given another.
    using ThreadStarter = HANDLE (*)(LPTHREAD_START_ROUTINE body, LPVOID parameter);
    static HANDLE CreateWorker(LPTHREAD_START_ROUTINE body, LPVOID parameter);
    // Longest wait of Stop by default.
    static constexpr DWORD kStopWaitMs = 5000;

    explicit WorkerThread(ThreadStarter starter = &CreateWorker) : starter_(starter) {}
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    WorkerThread(WorkerThread&& other) noexcept;
    WorkerThread& operator=(WorkerThread&& other) noexcept;
    ~WorkerThread() { Stop(); }

    // Stops a running thread, then runs `task` on a new one. False when no thread could be
    // started; the task is then destroyed without running.
    bool Start(Task task);
    // Sets the stop event and waits up to `waitMs` for the thread to end, then lets go of
    // both handles. True when the thread ended in time or none ran; a thread still busy
    // ends at its next look at the event.
    bool Stop(DWORD waitMs = kStopWaitMs);
    // Sets the stop event and returns at once; the thread ends at its next look at it.
    void RequestStop() const {
        if (stop_) SetEvent(stop_.get());
    }
    // Waits without a bound, through `wait` (which returns once the handle is signalled),
    // for the thread to end by itself, then lets go of both handles.
    using Waiter = void (*)(HANDLE thread);
    void Join(Waiter wait);
    // The running thread, or null.
    HANDLE Handle() const { return thread_.get(); }

    // For tasks: waits up to `ms` for `stop`; true when a stop was asked (or the event cannot
    // be waited on). A null `stop` (a task run by hand) only sleeps.
    static bool StopRequested(HANDLE stop, DWORD ms = 0);

private:
    ThreadStarter starter_;
    UniqueHandle thread_;
    UniqueHandle stop_;  // manual-reset; the thread has a copy of its own
};
