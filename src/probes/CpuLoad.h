// Processor load on both Windows lines, the load sample and the processor clock.
#pragma once
#include <cstdint>
#include <string>

// Previous NT sample, shared by every caller: total idle time and system time in
// 100 ns units; both 0 until the first successful sample.
struct NtLoadHistory {
    std::uint64_t idle = 0;
    std::uint64_t time = 0;
    int lastLoad = -1;  // the last figure measured, -1 before the first
};

// Idle time advances only at clock ticks: over a shorter interval (100 ns units) the
// share of idle time says nothing, and two samples taken back to back would read 100.
constexpr std::uint64_t kShortestLoadInterval = 50 * 10000;

// Load in percent (0..100) since the pair in `history`, which then holds the new pair.
// An interval shorter than kShortestLoadInterval keeps the old pair and repeats the last
// figure measured. False, with `load` untouched, on the first sample, when the interval
// is too short and nothing was measured yet, when the time went back, or with no
// processor count.
bool NextNtLoad(NtLoadHistory& history, std::uint64_t idle, std::uint64_t time, int processors, int& load);

// Writes the processor load into `cpu` when a figure is available; callers set it to 0 first.
void SampleCpuLoad(int& cpu);
// The 9x method: the kernel's own statistic under HKEY_DYN_DATA, exactly as it reads.
void SampleCpuLoad9x(int& cpu);
// The NT method: idle and system time from the native system-information call.
void SampleCpuLoadNt(int& cpu);
// Both outputs set to 0, then the free physical memory percent and the processor load.
void SampleLoad(int& cpu, int& freeMem);

// "%d MHz" of the first method that yields a clock, "Unknown" when none does. Runs at
// high priority and blocks up to about 0.8 s.
std::string GetProcessorClockText();
// "%d MHz", or "Unknown" for 0.
std::string ClockText(int mhz);
// The clock methods in the order they are tried; each gives 0 when it yields nothing.
int RegistryClockMHz();         // "~MHz" of the first processor's hardware key (0 above 100000)
int CounterClockMHz();          // time-stamp counter against the performance counter, 300 ms
int MultimediaTimerClockMHz();  // time-stamp counter against timeGetTime, 500 ms busy
// MHz of `tscDelta` ticks over `counterDelta` performance-counter counts; 0 when no
// whole microsecond passed.
int MhzFromCounter(std::uint32_t tscDelta, std::int64_t counterDelta, std::int64_t frequency);
