#include "ui/WorkerThread.h"

#include <utility>

namespace {
// What the thread owns: its task and its own handle of the stop event.
struct Job {
    WorkerThread::Task task;
    HANDLE stop;
};

DWORD WINAPI RunJob(LPVOID parameter) {
    Job* job = static_cast<Job*>(parameter);
    job->task(job->stop);
    CloseHandle(job->stop);
    delete job;
    return 0;
}
}  // namespace

HANDLE WorkerThread::CreateWorker(LPTHREAD_START_ROUTINE body, LPVOID parameter) {
    DWORD id = 0;
    return CreateThread(nullptr, 0, body, parameter, 0, &id);
}

WorkerThread::WorkerThread(WorkerThread&& other) noexcept
    : starter_(other.starter_), thread_(std::move(other.thread_)), stop_(std::move(other.stop_)) {}

WorkerThread& WorkerThread::operator=(WorkerThread&& other) noexcept {
    if (this != &other) {
        Stop();
        starter_ = other.starter_;
        thread_ = std::move(other.thread_);
        stop_ = std::move(other.stop_);
    }
    return *this;
}

bool WorkerThread::Start(Task task) {
    Stop();
    UniqueHandle stop(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    HANDLE threadStop = nullptr;
    if (!stop || !DuplicateHandle(GetCurrentProcess(), stop.get(), GetCurrentProcess(), &threadStop, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS))
        return false;
    Job* job = new Job{std::move(task), threadStop};
    UniqueHandle thread(starter_(RunJob, job));
    if (!thread) {
        CloseHandle(threadStop);
        delete job;
        return false;
    }
    thread_ = std::move(thread);
    stop_ = std::move(stop);
    return true;
}

bool WorkerThread::Stop(DWORD waitMs) {
    if (!thread_) return true;
    SetEvent(stop_.get());
    bool ended = WaitForSingleObject(thread_.get(), waitMs) == WAIT_OBJECT_0;
    thread_.reset();
    stop_.reset();
    return ended;
}

void WorkerThread::Join(Waiter wait) {
    if (!thread_) return;
    wait(thread_.get());
    thread_.reset();
    stop_.reset();
}

bool WorkerThread::StopRequested(HANDLE stop, DWORD ms) {
    if (!stop) {
        Sleep(ms);
        return false;
    }
    return WaitForSingleObject(stop, ms) != WAIT_TIMEOUT;
}
