// The owner of a worker thread: a stop that ends the thread between its steps, a bound on
// the wait that leaves the thread nothing of its owner's, a failed start, a move.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>

#include "driver/TestDriver.h"
#include "ui/WorkerThread.h"

using driver::WaitUntil;

namespace {
HANDLE NoThread(LPTHREAD_START_ROUTINE, LPVOID) { return nullptr; }
}  // namespace

TEST(WorkerThread, StopEndsTheTaskBetweenStepsAndTheOwnerJoinsIt) {
    auto steps = std::make_shared<std::atomic<int>>(0);
    WorkerThread worker;
    ASSERT_TRUE(worker.Start([steps](HANDLE stop) {
        while (!WorkerThread::StopRequested(stop, 10)) ++*steps;
    }));
    ASSERT_TRUE(WaitUntil([&] { return *steps > 2; }, 5000));
    // Moved, the new owner holds the thread and the old one has nothing to stop.
    WorkerThread owner(std::move(worker));
    EXPECT_EQ(worker.Handle(), nullptr);
    EXPECT_TRUE(worker.Stop(0));
    EXPECT_NE(owner.Handle(), nullptr);
    DWORD start = GetTickCount();
    EXPECT_TRUE(owner.Stop());
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(owner.Handle(), nullptr);
    int done = *steps;
    Sleep(50);
    EXPECT_EQ(*steps, done) << "the task ran on after the stop";
    EXPECT_EQ(steps.use_count(), 1) << "the thread kept its task";

    // A start while one runs replaces it; the destructor stops the second.
    {
        WorkerThread scoped;
        ASSERT_TRUE(scoped.Start([steps](HANDLE stop) { WorkerThread::StopRequested(stop, INFINITE); }));
        ASSERT_TRUE(scoped.Start([steps](HANDLE stop) { WorkerThread::StopRequested(stop, INFINITE); }));
        EXPECT_EQ(steps.use_count(), 2);
    }
    EXPECT_EQ(steps.use_count(), 1);
}

TEST(WorkerThread, ABoundedStopLeavesABusyTaskItsOwnStateAndAFailedStartRunsNothing) {
    auto state = std::make_shared<int>(0);
    std::weak_ptr<int> watched = state;
    WorkerThread worker;
    // A step that does not look at the event for 800 ms.
    ASSERT_TRUE(worker.Start([state](HANDLE stop) {
        Sleep(800);
        if (!WorkerThread::StopRequested(stop)) *state = 1;
    }));
    state.reset();
    DWORD start = GetTickCount();
    EXPECT_FALSE(worker.Stop(50));
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(worker.Handle(), nullptr);
    EXPECT_FALSE(watched.expired()) << "the busy thread's task was destroyed under it";
    // It ends at its next look at the event, and its task goes with it.
    EXPECT_TRUE(WaitUntil([&] { return watched.expired(); }, 5000));

    bool ran = false;
    auto held = std::make_shared<int>(0);
    WorkerThread failing(&NoThread);
    EXPECT_FALSE(failing.Start([&ran, held](HANDLE) { ran = true; }));
    EXPECT_EQ(failing.Handle(), nullptr);
    EXPECT_EQ(held.use_count(), 1) << "the task that never ran was kept";
    EXPECT_FALSE(ran);
    EXPECT_TRUE(failing.Stop());
}
