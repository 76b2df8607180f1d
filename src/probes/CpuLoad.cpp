#include "probes/CpuLoad.h"

#include <windows.h>

#include <cstdio>

#include "app/RegistryKey.h"
#include "hwinfo/CpuId.h"
#include "probes/MemoryStatus.h"
#include "probes/OsVersion.h"

namespace {
NtLoadHistory gNtHistory;

using NtQuerySystemInformationFunction = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

constexpr ULONG kBasicInformation = 0;
constexpr ULONG kPerformanceInformation = 2;
constexpr ULONG kTimeOfDayInformation = 3;
// SYSTEM_BASIC_INFORMATION holds pointer-sized fields, so its size and the offset of
// the processor count differ between the 32- and 64-bit layouts.
#ifdef _WIN64
constexpr ULONG kBasicSize = 64, kProcessorsOffset = 56;
#else
constexpr ULONG kBasicSize = 44, kProcessorsOffset = 40;
#endif
constexpr ULONG kPerformanceSize = 312, kTimeOfDaySize = 32;
constexpr ULONG kCurrentTimeOffset = 8;
constexpr DWORD kHighestClockMHz = 100000;

std::uint64_t Read64(const unsigned char* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

// The priority class of the process raised to high for the scope.
class HighPriority {
public:
    HighPriority() : old_(GetPriorityClass(GetCurrentProcess())) {
        SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    }
    HighPriority(const HighPriority&) = delete;
    HighPriority& operator=(const HighPriority&) = delete;
    ~HighPriority() {
        if (old_) SetPriorityClass(GetCurrentProcess(), old_);
    }

private:
    DWORD old_;
};
}  // namespace

bool NextNtLoad(NtLoadHistory& history, std::uint64_t idle, std::uint64_t time, int processors, int& load) {
    const NtLoadHistory previous = history;
    if (previous.idle != 0 && time >= previous.time && time - previous.time < kShortestLoadInterval) {
        if (previous.lastLoad < 0) return false;
        load = previous.lastLoad;
        return true;
    }
    history.idle = idle;
    history.time = time;
    if (previous.idle == 0 || time < previous.time || idle < previous.idle || processors <= 0) return false;
    double busy = 100.0 - static_cast<double>(idle - previous.idle) / static_cast<double>(time - previous.time) *
                              100.0 / processors + 0.5;
    // Idle and system time tick at different moments, so a short interval can stray past either end.
    int percent = static_cast<int>(busy);
    load = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    history.lastLoad = load;
    return true;
}

void SampleCpuLoad9x(int& cpu) {
    RegistryKey start;
    if (start.Open(HKEY_DYN_DATA, "PerfStats\\StartStat", KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
    // Reading the value under StartStat is what makes the kernel keep the statistic.
    DWORD started = 0;
    start.QueryDword(started, "KERNEL\\CPUUsage");
    start.Close();
    RegistryKey data;
    if (data.Open(HKEY_DYN_DATA, "PerfStats\\StatData", KEY_READ) != ERROR_SUCCESS) return;
    DWORD usage = 0;
    if (data.QueryDword(usage, "KERNEL\\CPUUsage") == ERROR_SUCCESS) cpu = static_cast<int>(usage);
}

void SampleCpuLoadNt(int& cpu) {
    HMODULE ntdll = GetModuleHandleA("ntdll");
    if (!ntdll) return;
    auto query = reinterpret_cast<NtQuerySystemInformationFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
    if (!query) return;
    alignas(8) unsigned char basic[kBasicSize] = {};
    alignas(8) unsigned char timeOfDay[kTimeOfDaySize] = {};
    alignas(8) unsigned char performance[kPerformanceSize] = {};
    if (query(kBasicInformation, basic, sizeof basic, nullptr) != 0) return;
    if (query(kTimeOfDayInformation, timeOfDay, sizeof timeOfDay, nullptr) != 0) return;
    if (query(kPerformanceInformation, performance, sizeof performance, nullptr) != 0) return;
    NextNtLoad(gNtHistory, Read64(performance), Read64(timeOfDay + kCurrentTimeOffset), basic[kProcessorsOffset],
               cpu);
}

void SampleCpuLoad(int& cpu) {
    if (IsWindows9x())
        SampleCpuLoad9x(cpu);
    else
        SampleCpuLoadNt(cpu);
}

void SampleLoad(int& cpu, int& freeMem) {
    cpu = 0;
    freeMem = 0;
    freeMem = FreePhysPercent(QueryMemorySnapshot());
    SampleCpuLoad(cpu);
}

int MhzFromCounter(std::uint32_t tscDelta, std::int64_t counterDelta, std::int64_t frequency) {
    if (frequency <= 0) return 0;
    std::int64_t micros = counterDelta * 1000000 / frequency;
    if (micros <= 0) return 0;
    return static_cast<int>(tscDelta / static_cast<std::uint64_t>(micros));
}

int RegistryClockMHz() {
    RegistryKey key;
    DWORD mhz = 0;
    if (key.Open(HKEY_LOCAL_MACHINE, "Hardware\\Description\\System\\CentralProcessor\\0", KEY_QUERY_VALUE) ==
        ERROR_SUCCESS)
        key.QueryDword(mhz, "~MHz");
    // 0 asks the caller to measure; a number no processor runs at would show as "-1 MHz".
    return mhz <= kHighestClockMHz ? static_cast<int>(mhz) : 0;
}

int CounterClockMHz() {
    LARGE_INTEGER frequency, before, after;
    if (!QueryPerformanceFrequency(&frequency)) return 0;
    std::uint64_t tscBefore = 0, tscAfter = 0;
    QueryPerformanceCounter(&before);
    if (!GuardedRdtsc(tscBefore)) return 0;
    Sleep(300);
    QueryPerformanceCounter(&after);
    if (!GuardedRdtsc(tscAfter)) return 0;
    return MhzFromCounter(static_cast<std::uint32_t>(tscAfter) - static_cast<std::uint32_t>(tscBefore),
                          after.QuadPart - before.QuadPart, frequency.QuadPart);
}

int MultimediaTimerClockMHz() {
    DWORD begin = timeGetTime();
    while (timeGetTime() - begin < 2) {
    }
    begin = timeGetTime();
    std::uint64_t tscBefore = 0, tscAfter = 0;
    if (!GuardedRdtsc(tscBefore)) return 0;
    while (timeGetTime() - begin <= 500) {
    }
    if (!GuardedRdtsc(tscAfter)) return 0;
    return static_cast<int>((static_cast<std::uint32_t>(tscAfter) - static_cast<std::uint32_t>(tscBefore)) / 500000);
}

std::string ClockText(int mhz) {
    if (mhz == 0) return "Unknown";
    char text[32];
    std::snprintf(text, sizeof text, "%d MHz", mhz);
    return text;
}

std::string GetProcessorClockText() {
    HighPriority priority;
    int mhz = RegistryClockMHz();
    if (mhz == 0) mhz = CounterClockMHz();
    if (mhz == 0) mhz = MultimediaTimerClockMHz();
    return ClockText(mhz);
}
