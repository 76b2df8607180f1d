// The owner of a worker thread (its stop, restart and destructor are seen through the
// activity monitor's tests): a move, a bound on the wait that leaves the thread nothing of
// its owner's, a failed start.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "driver/TestDriver.h"
#include "ui/WorkerThread.h"

namespace {
HANDLE NoThread(LPTHREAD_START_ROUTINE, LPVOID) { return nullptr; }
}  // namespace

TEST(WorkerThread, AMoveHandsTheThreadOverAndABoundedStopLeavesABusyTaskItsState) {
    auto state = std::make_shared<int>(0);
    std::weak_ptr<int> watched = state;
    WorkerThread worker;
    // A step that does not look at the event for 800 ms.
    ASSERT_TRUE(worker.Start([state](HANDLE stop) {
        Sleep(800);
        if (!WorkerThread::StopRequested(stop)) *state = 1;
    }));
    state.reset();
    WorkerThread owner(std::move(worker));
    EXPECT_EQ(worker.Handle(), nullptr);
    EXPECT_TRUE(worker.Stop(0)) << "the moved-from owner has nothing to stop";
    DWORD start = GetTickCount();
    EXPECT_FALSE(owner.Stop(50));
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_EQ(owner.Handle(), nullptr);
    EXPECT_FALSE(watched.expired()) << "the busy thread's task was destroyed under it";
    // It ends at its next look at the event, and its task goes with it.
    EXPECT_TRUE(driver::WaitUntil([&] { return watched.expired(); }, 5000));

    bool ran = false;
    auto held = std::make_shared<int>(0);
    WorkerThread failing(&NoThread);
    EXPECT_FALSE(failing.Start([&ran, held](HANDLE) { ran = true; }));
    EXPECT_EQ(failing.Handle(), nullptr);
    EXPECT_EQ(held.use_count(), 1) << "the task that never ran was kept";
    EXPECT_FALSE(ran);
}
