// The automatic run's worker against a real window of this thread.
#include "optimizer/OptimizeRun.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

namespace {
// A message-only window that records what the worker posts to it.
class Listener {
public:
    Listener() {
        static ATOM atom = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "MnemoraRunListener";
            return RegisterClassA(&wc);
        }();
        (void)atom;
        wnd_ = CreateWindowExA(0, "MnemoraRunListener", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Listener() { DestroyWindow(wnd_); }
    HWND Handle() const { return wnd_; }
    // Pumps until `count` messages came or `ms` passed; true when they came.
    bool Await(size_t count, DWORD ms) {
        DWORD start = GetTickCount();
        while (got.size() < count && GetTickCount() - start < ms) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        }
        return got.size() >= count;
    }
    struct Got {
        UINT message;
        WPARAM wParam;
    };
    std::vector<Got> got;
    int sentHandled = 0;

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<Listener*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (self && (msg == WM_OPTIMIZE_PROGRESS || msg == WM_OPTIMIZE_DONE)) {
            self->got.push_back({msg, wp});
            return 0;
        }
        if (self && msg == WM_USER) {
            ++self->sentHandled;
            return 0;
        }
        return DefWindowProcA(wnd, msg, wp, lp);
    }
    HWND wnd_;
};

HANDLE NoThread(LPTHREAD_START_ROUTINE, LPVOID) { return nullptr; }

DWORD WINAPI SendToWindow(LPVOID wnd) {
    SendMessageA(static_cast<HWND>(wnd), WM_USER, 0, 0);
    return 0;
}
}  // namespace

TEST(OptimizeRun, AutomaticRunPostsEachStepThenTheEndInOrder) {
    Listener listener;
    OptimizeRun run;
    ASSERT_EQ(run.StartAuto(listener.Handle(), 2, false), OptimizeRun::AutoStart::Started);
    EXPECT_TRUE(run.Running());
    EXPECT_TRUE(run.IsAuto());
    EXPECT_EQ(run.Level(), 2);
    EXPECT_EQ(run.StartAuto(listener.Handle(), 2, false), OptimizeRun::AutoStart::Busy);
    EXPECT_FALSE(run.BeginManual(4));
    ASSERT_TRUE(listener.Await(4, 60000));
    // Steps 0 and 1 are announced before they run, the final one after it, then the end.
    ASSERT_EQ(listener.got.size(), 4u);
    EXPECT_EQ(listener.got[0].message, WM_OPTIMIZE_PROGRESS);
    EXPECT_EQ(listener.got[0].wParam, 0u);
    EXPECT_EQ(listener.got[1].wParam, 1u);
    EXPECT_EQ(listener.got[2].wParam, kProgressComplete);
    EXPECT_EQ(listener.got[3].message, WM_OPTIMIZE_DONE);
    // Still running until the window has handled the end.
    EXPECT_TRUE(run.Running());
    run.Finish();
    EXPECT_FALSE(run.Running());
    EXPECT_EQ(run.Level(), 0);
    EXPECT_FALSE(run.IsAuto());
    EXPECT_TRUE(run.BeginManual(3));
    EXPECT_EQ(run.AdvanceTick(), 1);
}

TEST(OptimizeRun, ListsRunPostsEachChosenStepThenTheEndAndKeepsItsResultUntilFinish) {
    Listener listener;
    MemoryListCalls calls;  // answers on the worker thread
    calls.setSystemInformation = [](ULONG cls, void*, ULONG) {
        return cls == kSystemMemoryListInformation ? kStatusSuccess : kStatusPrivilegeNotHeld;
    };
    OptimizeRun run(&WorkerThread::CreateWorker, calls);
    MemoryListSteps steps = StepBit(MemoryListStep::EmptyWorkingSets) | StepBit(MemoryListStep::CombinePages);
    ASSERT_EQ(run.StartLists(listener.Handle(), true, steps, {true, true}), OptimizeRun::AutoStart::Started);
    EXPECT_TRUE(run.IsLists() && run.IsAuto());
    EXPECT_EQ(run.StartAuto(listener.Handle(), 2, false), OptimizeRun::AutoStart::Busy);
    ASSERT_TRUE(listener.Await(4, 30000));
    ASSERT_EQ(listener.got.size(), 4u);
    EXPECT_EQ(listener.got[0].wParam, static_cast<WPARAM>(MemoryListStep::EmptyWorkingSets));
    EXPECT_EQ(listener.got[1].wParam, static_cast<WPARAM>(MemoryListStep::CombinePages));
    EXPECT_EQ(listener.got[2].wParam, kProgressComplete);
    EXPECT_EQ(listener.got[3].message, WM_OPTIMIZE_DONE);
    const MemoryListsResult* result = run.ListsResult();
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->Step(MemoryListStep::EmptyWorkingSets).outcome, StepOutcome::Ran);
    EXPECT_EQ(result->Step(MemoryListStep::CombinePages).status, kStatusPrivilegeNotHeld);
    EXPECT_TRUE(run.Running());  // until the window has handled the end
    run.Finish();
    EXPECT_EQ(run.ListsResult(), nullptr);
}

TEST(OptimizeRun, StopEndsTheWorkerBetweenStepsWithoutAnEnd) {
    Listener listener;
    OptimizeRun run;
    // Eight growing steps of up to 1 GB each: seconds of work, stopped after the first.
    ASSERT_EQ(run.StartAuto(listener.Handle(), 8, false), OptimizeRun::AutoStart::Started);
    ASSERT_TRUE(listener.Await(1, 30000));
    DWORD start = GetTickCount();
    run.StopAndWait();
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_FALSE(run.Running());
    listener.Await(100, 300);  // whatever was posted before the stop
    for (const auto& g : listener.got) EXPECT_NE(g.message, WM_OPTIMIZE_DONE);
    EXPECT_LT(listener.got.size(), 8u);
}

TEST(OptimizeRun, AThreadThatCannotStartLeavesTheRunAtRestAndPostsNothing) {
    Listener listener;
    OptimizeRun run(&NoThread);
    EXPECT_EQ(run.StartAuto(listener.Handle(), 4, true), OptimizeRun::AutoStart::NoThread);
    EXPECT_FALSE(run.Running());
    EXPECT_FALSE(listener.Await(1, 300));
    EXPECT_TRUE(run.BeginManual(2));  // a new run may start
}

TEST(WaitDispatchingSent, AThreadSendingToThisOneCannotDeadlockTheWait) {
    Listener listener;
    HWND target = listener.Handle();
    HANDLE sender = CreateThread(nullptr, 0, SendToWindow, target, 0, nullptr);
    ASSERT_NE(sender, nullptr);
    WaitDispatchingSent(sender);
    CloseHandle(sender);
    EXPECT_EQ(listener.sentHandled, 1);
}
