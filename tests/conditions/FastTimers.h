// What the test build of the program counts while its timers run fast (MNEMORA_TIMER_SPEED=n),
// kept in shared memory named after its process id so that a test can watch from outside.
#pragma once
#include <windows.h>

#include <string>

struct FastTimerCounts {
    volatile LONG refreshTicks;    // the main window's refresh timer armed again: once per tick
    volatile LONG lowMemoryTicks;  // the low-memory check's timer armed again
    volatile LONG monitorWaits;    // the activity monitor's waits: two per pass
    volatile LONG trayPictures;    // pictures handed to the notification area
};

// The periods the program arms the two timers with, by which their ticks are told apart.
constexpr UINT_PTR kRefreshTimerId = 1;
constexpr UINT kRefreshPeriodMs = 500;
constexpr UINT_PTR kLowMemoryTimerId = 2;
constexpr UINT kLowMemoryPeriodMs = 1000;

inline std::string FastTimerCountsName(DWORD processId) {
    return "MnemoraFastTimers." + std::to_string(processId);
}
