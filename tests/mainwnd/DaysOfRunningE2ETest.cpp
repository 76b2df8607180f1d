// Days of running in minutes: the test build's timers and the activity monitor's waits run
// fast, the tray picture follows memory the test takes and gives back, the tool windows open
// and close and optimization runs of the smallest size come and go. Afterwards the program
// holds no more GDI and USER objects, kernel handles and private memory than after its first
// minute, within stated bounds.
//
// MNEMORA_SOAK_HOURS sets the program time: 48 (every tool window opened 500 times, 200 runs)
// from scripts/bench.sh; the short default, half an hour (3,600 ticks, each window opened six
// times, three runs), fits a test run.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/RegistryKey.h"
#include "app/SettingValues.h"
#include "conditions/FastTimers.h"
#include "driver/ProgramTest.h"
#include "driver/TestDriver.h"
#include "driver/ToolWindows.h"
#include "probes/OsVersion.h"
#include "resource.h"

using namespace driver;

namespace {
const double kShortHours = 0.5;
const int kTicksPerHour = 7200;        // the refresh, every 500 ms
const int kMonitorWaitsPerCycle = 30;  // 15 passes, each a measuring window and a pause
const int kMonitorCyclesPerHour = 24;  // 150 s a cycle
const char kTimerSpeed[] = "500";      // the refresh as fast as the system's timers go (Wine's: 10 ms)
const size_t kSamples = 8;             // between the first minute and the end
// Growth allowed from the first minute to the end.
const long kGdiBound = 10, kUserBound = 10, kHandleBound = 20, kPrivateKBBound = 2048;

struct Usage {
    long gdi, user, handles, privateKB;
};

// Wine 8 answers GetGuiResources with 0 and counts neither a process's handles nor its private
// bytes. Where a figure comes back 0 it is taken from what Wine does keep: GDI objects from the
// process's handle table (its PEB points at it, as on Windows), USER objects as its windows,
// kernel handles by asking for a copy of each possible value, private memory as the sum of its
// committed private regions.
long GdiTableCount(HANDLE process) {
    PROCESS_BASIC_INFORMATION info{};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return 0;
    struct Entry {
        ULONGLONG object;
        ULONG owner;
        USHORT unique;
        UCHAR type, flags;
        ULONGLONG user;
    };
    const size_t kTableAt = sizeof(void*) == 8 ? 0xF8 : 0x94, kEntries = 0x10000;
    void* table = nullptr;
    if (!ReadProcessMemory(process, reinterpret_cast<char*>(info.PebBaseAddress) + kTableAt, &table, sizeof table,
                           nullptr) || !table)
        return 0;
    std::vector<Entry> entries(kEntries);
    if (!ReadProcessMemory(process, table, entries.data(), kEntries * sizeof(Entry), nullptr)) return 0;
    return static_cast<long>(std::count_if(entries.begin(), entries.end(), [](const Entry& e) { return e.type != 0; }));
}

BOOL CALLBACK CountWindow(HWND wnd, LPARAM counted) {
    auto* c = reinterpret_cast<std::pair<DWORD, long>*>(counted);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid == c->first) ++c->second;
    if (GetParent(wnd) == nullptr) EnumChildWindows(wnd, CountWindow, counted);
    return TRUE;
}

long WindowCount(DWORD pid) {
    std::pair<DWORD, long> counted(pid, 0);
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&counted));
    return counted.second;
}

long ProbedHandleCount(HANDLE process) {
    long count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        HANDLE copy = nullptr;
        if (!DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                             DUPLICATE_SAME_ACCESS))
            continue;
        CloseHandle(copy);
        ++count;
    }
    return count;
}

long CommittedPrivateKB(HANDLE process) {
    SIZE_T bytes = 0;
    MEMORY_BASIC_INFORMATION m;
    for (char* at = nullptr; VirtualQueryEx(process, at, &m, sizeof m) == sizeof m;) {
        if (m.State == MEM_COMMIT && m.Type == MEM_PRIVATE) bytes += m.RegionSize;
        char* next = static_cast<char*>(m.BaseAddress) + m.RegionSize;
        if (next <= at) break;
        at = next;
    }
    return static_cast<long>(bytes / 1024);
}

Usage UsageOf(HANDLE process, DWORD pid) {
    Usage u{};
    u.gdi = static_cast<long>(GetGuiResources(process, GR_GDIOBJECTS));
    if (u.gdi == 0) u.gdi = GdiTableCount(process);
    u.user = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
    if (u.user == 0) u.user = WindowCount(pid);
    DWORD handles = 0;
    GetProcessHandleCount(process, &handles);
    u.handles = handles ? static_cast<long>(handles) : ProbedHandleCount(process);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        u.privateKB = static_cast<long>(memory.PrivateUsage / 1024);
    if (u.privateKB == 0) u.privateKB = CommittedPrivateKB(process);
    return u;
}

// The program's counts of what its fast timers did, read through its shared block.
class Counts {
public:
    explicit Counts(DWORD pid) {
        mapping_ = OpenFileMappingA(FILE_MAP_READ, FALSE, FastTimerCountsName(pid).c_str());
        if (mapping_) view_ = static_cast<const FastTimerCounts*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
    }
    ~Counts() {
        if (view_) UnmapViewOfFile(view_);
        if (mapping_) CloseHandle(mapping_);
    }
    Counts(const Counts&) = delete;
    Counts& operator=(const Counts&) = delete;
    bool Open() const { return view_ != nullptr; }
    long Ticks() const { return view_->refreshTicks; }
    long LowMemoryChecks() const { return view_->lowMemoryTicks; }
    long MonitorCycles() const { return view_->monitorWaits / kMonitorWaitsPerCycle; }
    long TrayPictures() const { return view_->trayPictures; }

private:
    HANDLE mapping_ = nullptr;
    const FastTimerCounts* view_ = nullptr;
};

// Memory the test takes and gives back in turn, so the tray picture has a change to follow.
class Ballast {
public:
    ~Ballast() { Toggle(false); }
    void Toggle(bool take) {
        if (block_) VirtualFree(block_, 0, MEM_RELEASE);
        block_ = take ? VirtualAlloc(nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE) : nullptr;
        if (block_) std::memset(block_, 1, kBytes);
    }

private:
    static const SIZE_T kBytes = 64 << 20;
    void* block_ = nullptr;
};

class DaysOfRunningTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        WriteSettingDword(kOtherFunctionTips.name, 1);  // no warning before each tool
        WriteSettingDword(kBuildReport.name, 0);
        WriteSettingDword(kSliderPos.name, 1);  // the smallest run
        WriteSettingDword(kSoundAlert.name, 0);
        WriteSettingDword(kAutoDefrag.name, 0);
    }
    void TearDown() override {
        if (process_) CloseHandle(process_);
        ProgramTest::TearDown();
    }
    // Every tool window and the about box, once each (the 9x line has no memory-module window).
    void OpenAndCloseEach(HWND main) {
        for (const ToolWindow& w : kToolWindows) {
            if (w.button == IDC_MEMHDINFOBT && IsWindows9x()) continue;
            OpenAndClose(main, w);
            if (HasFatalFailure()) return;
        }
    }
    void OpenAndClose(HWND main, const ToolWindow& w) {
        PostClick(main, w.button);
        HWND tool = WaitForWindow(w.title, app_.Pid(), 20000);
        ASSERT_NE(tool, nullptr) << w.title;
        PostClick(tool, w.close);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(tool); }, 5000)) << w.title;
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, 5000)) << w.title;
    }
    // One optimization run from the tray, which runs without the load check.
    void Optimize(HWND main) {
        PostMessageA(main, WM_COMMAND, ID_TRAY_OPTIMIZE, 0);
        ASSERT_TRUE(WaitUntil([&] { return ControlText(main, IDC_PERCENT) != "0 %"; }, 10000));
        ASSERT_TRUE(WaitUntil(
            [&] { return ControlText(main, IDC_PERCENT) == "0 %" && IsEnabled(main, IDC_LZL_BUTTON); }, 120000));
    }
    void Sample(long ticks) {
        samples_.push_back({ticks, UsageOf(process_, app_.Pid())});
    }
    void Print(double seconds, const Counts& counts, int openings, int runs) const {
        const long ticks = samples_.back().ticks;
        std::printf("Days of running: %ld refresh ticks (%.1f hours), %ld low-memory checks, %ld monitor cycles, "
                    "%ld tray pictures, %d openings of each window, %d runs, in %.0f s (%.0f ticks/s)\n",
                    ticks, ticks / double(kTicksPerHour), counts.LowMemoryChecks(), counts.MonitorCycles(),
                    counts.TrayPictures(), openings, runs, seconds, ticks / seconds);
        std::printf("%10s %6s %6s %8s %11s\n", "ticks", "GDI", "USER", "handles", "private KB");
        for (const auto& s : samples_)
            std::printf("%10ld %6ld %6ld %8ld %11ld\n", s.ticks, s.usage.gdi, s.usage.user, s.usage.handles,
                        s.usage.privateKB);
        std::printf("Bounds from the first minute to the end: GDI +%ld, USER +%ld, handles +%ld, private +%ld KB\n",
                    kGdiBound, kUserBound, kHandleBound, kPrivateKBBound);
    }
    struct Point {
        long ticks;
        Usage usage;
    };
    HANDLE process_ = nullptr;
    std::vector<Point> samples_;
};
}  // namespace

TEST_F(DaysOfRunningTest, TimersToolsAndRunsLeaveNothingBehind) {
    const std::string asked = EnvText("MNEMORA_SOAK_HOURS");
    const double hours = asked.empty() ? kShortHours : std::max(0.05, std::atof(asked.c_str()));
    const long ticksWanted = std::lround(hours * kTicksPerHour);
    const int openings = static_cast<int>(std::ceil(500 * hours / 48));
    const int runs = static_cast<int>(std::ceil(200 * hours / 48));

    ScopedEnv fast("MNEMORA_TIMER_SPEED", kTimerSpeed);
    HWND main = StartMain("/x", TestProgramDir() + "\\Ramvane.exe");
    ASSERT_NE(main, nullptr);
    Counts counts(app_.Pid());
    ASSERT_TRUE(counts.Open());
    process_ = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE, FALSE, app_.Pid());
    ASSERT_NE(process_, nullptr);
    const DWORD started = GetTickCount();

    // The first minute, with every window, a run and the ballast twice and a monitor cycle
    // done: what is made once for good (some of it only at the second time, or after a
    // while, depending on what the machine ran before) is made.
    Ballast ballast;
    for (bool take : {true, false}) {
        ballast.Toggle(take);
        OpenAndCloseEach(main);
        ASSERT_FALSE(HasFatalFailure());
        Optimize(main);
        ASSERT_FALSE(HasFatalFailure());
    }
    ASSERT_TRUE(WaitUntil([&] { return counts.Ticks() >= kTicksPerHour / 60 && counts.MonitorCycles() >= 1; }, 60000));
    Sample(counts.Ticks());
    const long firstPictures = counts.TrayPictures();

    int opened = 0, ran = 0;
    for (int round = 1; opened < openings || ran < runs || counts.Ticks() < ticksWanted; ++round) {
        ballast.Toggle(round % 2 != 0);
        if (opened < openings) {
            OpenAndCloseEach(main);
            if (HasFatalFailure()) return;
            ++opened;
        }
        // The runs spread over the openings.
        if (ran < runs && (opened == openings || ran * openings < runs * opened)) {
            Optimize(main);
            if (HasFatalFailure()) return;
            ++ran;
        }
        if (opened == openings && ran == runs) Sleep(200);
        // A sample at every eighth of the way, the way being the slowest of the three.
        double done = std::min({counts.Ticks() / double(ticksWanted), opened / double(openings), ran / double(runs)});
        if (done * kSamples >= samples_.size() && samples_.size() < kSamples) Sample(counts.Ticks());
    }
    // What the last round left in the queue settles over ten more seconds of program time.
    const long end = counts.Ticks() + 20;
    ASSERT_TRUE(WaitUntil([&] { return counts.Ticks() >= end; }, 30000));
    Sample(counts.Ticks());
    Print((GetTickCount() - started) / 1000.0, counts, openings, runs);

    EXPECT_GE(counts.MonitorCycles(), std::lround(hours * kMonitorCyclesPerHour));
    EXPECT_GT(counts.TrayPictures(), firstPictures);
    const Usage& first = samples_.front().usage;
    const Usage& last = samples_.back().usage;
    EXPECT_LE(last.gdi, first.gdi + kGdiBound);
    EXPECT_LE(last.user, first.user + kUserBound);
    EXPECT_LE(last.handles, first.handles + kHandleBound);
    EXPECT_LE(last.privateKB, first.privateKB + kPrivateKBBound);
}
