#include "optimizer/OptimizeRun.h"

#include <cstdint>
#include <cstring>

#include "optimizer/AllocationPlan.h"
#include "probes/MemoryStatus.h"

volatile LONG OptimizeRunning = 0;
int OptimizeLevel = 0;
int AutoRun = 0;
int ProgressTicks = 0;

namespace {
// Constructed before any window exists, destroyed at process exit.
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

// Shows the wait cursor for its lifetime.
class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }

private:
    HCURSOR old_;
};
}  // namespace

RunLockGuard::RunLockGuard() { EnterCriticalSection(&Lock().section); }
RunLockGuard::~RunLockGuard() { LeaveCriticalSection(&Lock().section); }

void SetOptimizeRunning(bool running) {
    RunLockGuard hold;
    OptimizeRunning = running ? 1 : 0;
}

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
