// Per-tick cost of the main window's status refresh, two ways:
//  1. in this process: the real MainDialog runs modally, and a thread timer calls its
//     RefreshStatus back to back, visible and hidden, counting the paints each call
//     causes and the process's GDI and USER objects around the calls;
//  2. end to end: Ramvane.exe runs on its own, once shown and once started hidden with
//     " -PowerOn"; its CPU time, memory and object counts are read over a while; an earlier
//     build given as second argument runs the same way just before each run of this one,
//     so both meet the same machine.
// Usage: bench_refresh.exe [seconds per program run (default 30)] [earlier Ramvane.exe]
// Needs a display; it deletes the program's settings in the Wine prefix it runs in, so each
// run starts alike.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "app/RegistryKey.h"
#include "app/ResourceText.h"
#include "driver/TestDriver.h"
#include "mainwnd/MainDialog.h"
#include "mainwnd/TrayIcon.h"
#include "resource.h"
#include "ui/UiText.h"

namespace {
double FileTimeMs(const FILETIME& t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
}

// GDI objects of `process`. GetGuiResources is a stub under Wine (always 0); then the
// process's own GDI handle table, at PEB.GdiSharedHandleTable, is read and counted:
// 0x10000 entries of 24 bytes, the type byte at offset 14.
long GdiObjects(HANDLE process) {
    if (DWORD n = GetGuiResources(process, GR_GDIOBJECTS)) return static_cast<long>(n);
    using Query = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0) return -1;
    const char* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
    const char* table = nullptr;
    if (!ReadProcessMemory(process, peb + (sizeof(void*) == 8 ? 0xF8 : 0x94), &table, sizeof table, nullptr) ||
        !table)
        return -1;
    std::vector<unsigned char> entries(0x10000 * 24);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size(), nullptr)) return -1;
    long count = 0;
    for (size_t i = 0; i < 0x10000; ++i) count += entries[i * 24 + 14] != 0;
    return count;
}

struct WindowCount {
    DWORD pid;
    long count;
};
BOOL CALLBACK CountChild(HWND, LPARAM lp) {
    ++reinterpret_cast<WindowCount*>(lp)->count;
    return TRUE;
}
BOOL CALLBACK CountTopLevel(HWND wnd, LPARAM lp) {
    auto* c = reinterpret_cast<WindowCount*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != c->pid) return TRUE;
    ++c->count;
    EnumChildWindows(wnd, CountChild, lp);
    return TRUE;
}

// CPU time of every thread of `pid`, for a system that gives no process times.
double ThreadCpuMs(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    double ms = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != pid) continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        FILETIME create, exit, kernel, user;
        if (thread && GetThreadTimes(thread, &create, &exit, &kernel, &user))
            ms += FileTimeMs(kernel) + FileTimeMs(user);
        if (thread) CloseHandle(thread);
    }
    CloseHandle(snapshot);
    return ms;
}

// Wine answers GetProcessTimes for any process with the caller's own times, so another
// process's time is summed over its threads there (threads that ended are missed).
bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll"), "wine_get_version") != nullptr; }

// What a process holds at one moment.
struct Usage {
    double cpuMs = 0;  // user + kernel
    bool threadSum = false;  // cpuMs summed over live threads (no process times)
    double workingSetMB = 0, privateMB = 0;
    long gdi = 0, user = 0, windows = 0, handles = 0;  // user: -1 when the system does not count them
};
Usage Measure(HANDLE process, DWORD pid) {
    Usage u;
    FILETIME create, exit, kernel, user;
    if (pid != GetCurrentProcessId() && UnderWine()) {
        u.cpuMs = ThreadCpuMs(pid);
        u.threadSum = true;
    } else if (GetProcessTimes(process, &create, &exit, &kernel, &user)) {
        u.cpuMs = FileTimeMs(kernel) + FileTimeMs(user);
    }
    PROCESS_MEMORY_COUNTERS_EX m{};
    m.cb = sizeof m;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m)) {
        u.workingSetMB = m.WorkingSetSize / 1048576.0;
        u.privateMB = m.PrivateUsage / 1048576.0;
    }
    u.gdi = GdiObjects(process);
    DWORD userObjects = GetGuiResources(process, GR_USEROBJECTS);
    u.user = userObjects ? static_cast<long>(userObjects) : -1;
    WindowCount windows{pid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    u.windows = windows.count;
    using HandleCount = BOOL(WINAPI*)(HANDLE, PDWORD);
    auto handleCount = reinterpret_cast<HandleCount>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "GetProcessHandleCount")));
    DWORD handles = 0;
    // Wine answers 0: counted as unknown.
    u.handles = handleCount && handleCount(process, &handles) && handles ? static_cast<long>(handles) : -1;
    return u;
}

void PrintUsageHeader() {
    std::printf("  %8s %10s %8s %8s %6s %6s %8s %8s\n", "at s", "CPU ms", "WS MB", "priv MB", "GDI", "USER", "windows",
                "handles");
}
std::string CountText(long n) { return n >= 0 ? std::to_string(n) : "n/a"; }
void PrintUsage(double at, const Usage& u) {
    std::printf("  %8.1f %10.0f %8.1f %8.1f %6s %6s %8ld %8s\n", at, u.cpuMs, u.workingSetMB, u.privateMB,
                CountText(u.gdi).c_str(), CountText(u.user).c_str(), u.windows, CountText(u.handles).c_str());
}

// --- 1. RefreshStatus in this process ----------------------------------------------

// Paints caused by the calls being measured: sent ones are seen by a hook, queued ones
// by the pump that follows each call.
struct PaintCount {
    bool on = false;
    long dialog = 0, children = 0, erase = 0;
    HWND main = nullptr;
} gPaints;

void CountPaint(HWND wnd, UINT msg) {
    if (!gPaints.on) return;
    if (msg == WM_ERASEBKGND) ++gPaints.erase;
    if (msg != WM_PAINT) return;
    ++(wnd == gPaints.main ? gPaints.dialog : gPaints.children);
}

LRESULT CALLBACK PaintHook(int code, WPARAM wp, LPARAM lp) {
    if (code >= 0) {
        const CWPSTRUCT* m = reinterpret_cast<const CWPSTRUCT*>(lp);
        CountPaint(m->hwnd, m->message);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

// Runs the paints left queued, and nothing else: the window's own timers must not tick
// inside a measurement.
void PumpPaints() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
        CountPaint(msg.hwnd, msg.message);
        DispatchMessageA(&msg);
    }
}

double ThreadCpuMsNow() {
    FILETIME create, exit, kernel, user;
    GetThreadTimes(GetCurrentThread(), &create, &exit, &kernel, &user);
    return FileTimeMs(kernel) + FileTimeMs(user);
}

// `calls` calls of `step`, each followed by the queued paints: wall-clock median, 90th
// percentile and maximum in ms, CPU ms per call, and paints per call. The paints are counted
// in a second pass of their own: the call-window hook that sees them makes every message
// sent to a control dearer under Wine, so the timed pass runs without it.
void TimeCalls(const char* what, const std::function<void()>& step, int calls) {
    std::vector<double> ms;
    double cpu0 = ThreadCpuMsNow();
    for (int i = 0; i < calls; ++i) {
        double t0 = Now();
        step();
        PumpPaints();
        ms.push_back((Now() - t0) * 1e3);
    }
    double cpu = (ThreadCpuMsNow() - cpu0) / calls;
    std::sort(ms.begin(), ms.end());

    const int counted = calls / 4;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, PaintHook, nullptr, GetCurrentThreadId());
    gPaints.dialog = gPaints.children = gPaints.erase = 0;
    gPaints.on = true;
    for (int i = 0; i < counted; ++i) {
        step();
        PumpPaints();
    }
    gPaints.on = false;
    if (hook) UnhookWindowsHookEx(hook);
    std::printf("  %-40s %8.3f %8.3f %8.3f %8.3f %7.1f %7.1f %7.1f\n", what, ms[ms.size() / 2], ms[ms.size() * 9 / 10],
                ms.back(), cpu, double(gPaints.dialog) / counted, double(gPaints.children) / counted,
                double(gPaints.erase) / counted);
}

const int kCalls = 200;

// A change of the main window's own tray icon, as the window makes it.
NOTIFYICONDATAA TrayRecord(HWND wnd, UINT flags) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = wnd;
    data.uID = kTrayIconId;
    data.uFlags = flags;
    return data;
}

void MeasureRefresh(MainDialog& main) {
    HWND wnd = main.Handle();
    gPaints.main = wnd;
    HANDLE self = GetCurrentProcess();
    DWORD pid = GetCurrentProcessId();
    std::printf("in this process, %d calls each (ms per call; paints per call):\n", kCalls);
    std::printf("  %-40s %8s %8s %8s %8s %7s %7s %7s\n", "", "median", "p90", "max", "CPU", "dialog", "child",
                "erase");
    Usage before = Measure(self, pid);
    TimeCalls("RefreshStatus, window shown", [&] { main.RefreshStatus(); }, kCalls);
    TimeCalls("  of it: reading the bound controls", [&] { main.ReadControls(); }, kCalls);
    ShowWindow(wnd, SW_HIDE);
    PumpPaints();
    TimeCalls("RefreshStatus, window hidden", [&] { main.RefreshStatus(); }, kCalls);
    TimeCalls("tray picture: draw, set, destroy", [&] {
        NOTIFYICONDATAA data = TrayRecord(wnd, NIF_ICON);
        UniqueIcon icon = main.DrawLoadIcon();
        data.hIcon = icon.get();
        Shell_NotifyIconA(NIM_MODIFY, &data);
    }, kCalls);
    TimeCalls("tray tooltip alone", [&] {
        NOTIFYICONDATAA data = TrayRecord(wnd, NIF_TIP);
        std::snprintf(data.szTip, sizeof data.szTip, "CPU:%d%%\nbench", static_cast<int>(GetTickCount() % 100));
        Shell_NotifyIconA(NIM_MODIFY, &data);
    }, kCalls);
    Usage after = Measure(self, pid);
    std::printf("this process around the calls:\n");
    PrintUsageHeader();
    PrintUsage(0, before);
    PrintUsage(0, after);
}

MainDialog* gBenchMain = nullptr;  // the window the timer callback measures

VOID CALLBACK MeasureInside(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    MainDialog* main = gBenchMain;
    if (!main || !IsWindow(main->Handle())) {
        std::printf("the main window is not up\n");
        PostQuitMessage(1);  // ends the modal loop all the same
        return;
    }
    MeasureRefresh(*main);
    EndDialog(main->Handle(), 0);
}

bool RefreshInProcess() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    char name[] = "bench_refresh", arg[] = "/bench";
    char* argv[] = {name, arg, nullptr};
    SetUiTextSource(&Lang);
    SetUiTextBatchHook(&LanguageBatch);
    MainDialog main(2, argv);
    gBenchMain = &main;
    // Once the window has shown and ticked a few times.
    SetTimer(nullptr, 0, 2000, MeasureInside);
    return main.RunModal() == 0;
}

// --- 2. Ramvane.exe on its own -------------------------------------------------------

void CloseProgram(driver::AppProcess& app, HWND main) {
    driver::PostClick(main, IDC_EXITBT);
    if (HWND box = driver::WaitForMessageBox(app.Pid(), 5000)) driver::AnswerMessageBox(box, IDYES);
    if (!app.WaitExit(5000)) app.Kill();
}

// CPU ms per minute of `exe` started with `args`, -1 when it did not come up.
double RunProgram(const std::string& exe, const char* what, const char* args, bool hidden, int seconds) {
    std::printf("\n%s %s, %s:\n", exe.c_str(), args, what);
    driver::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    driver::AppProcess app;
    if (!app.Start(exe, args)) {
        std::printf("  could not start it\n");
        return -1;
    }
    HWND main = driver::WaitForWindow("Mnemora", app.Pid(), 20000, !hidden);
    if (!main || (hidden && !driver::WaitUntil([&] { return !IsWindowVisible(main); }, 5000))) {
        std::printf("  the main window did not come up %s\n", hidden ? "hidden" : "shown");
        return -1;
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.Pid());
    Sleep(3000);  // past the start-up work and the first ticks
    PrintUsageHeader();
    double t0 = Now();
    Usage first = Measure(process, app.Pid()), last = first;
    PrintUsage(0, first);
    const int step = std::max(1, seconds / 3);
    for (int at = step; at <= seconds; at += step) {
        Sleep(static_cast<DWORD>(step * 1000));
        last = Measure(process, app.Pid());
        PrintUsage(Now() - t0, last);
    }
    double elapsed = Now() - t0, perSecond = (last.cpuMs - first.cpuMs) / elapsed;
    std::printf("  CPU %.0f ms per minute, %.2f ms per second%s\n", perSecond * 60, perSecond,
                last.threadSum ? " (summed over its threads)" : "");
    // A second holds two ticks of the 500 ms refresh and one of the 1000 ms low-memory timer.
    std::printf("  per tick: %.2f ms averaged over the 3 ticks a second; at most %.2f ms per refresh tick\n",
                perSecond / 3, perSecond / 2);
    std::printf("  growth over %.0f s: WS %+.1f MB, GDI %+ld, windows %+ld, handles %+ld\n", elapsed,
                last.workingSetMB - first.workingSetMB, last.gdi - first.gdi, last.windows - first.windows,
                last.handles - first.handles);
    if (process) CloseHandle(process);
    CloseProgram(app, main);
    return perSecond * 60;
}
}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 30;
    const std::string earlier = argc > 2 ? argv[2] : "";
    std::printf("Main window refresh under Wine, %d-bit\n", static_cast<int>(sizeof(void*) * 8));
    if (!RefreshInProcess()) std::printf("the main window could not be run in this process\n");
    struct Run {
        const char* what;
        const char* args;
        bool hidden;
        double earlierMs, thisMs;
    } runs[] = {{"shown", "/bench", false, -1, -1}, {"started hidden", "-PowerOn", true, -1, -1}};
    for (Run& r : runs) {
        if (!earlier.empty()) r.earlierMs = RunProgram(earlier, r.what, r.args, r.hidden, seconds);
        r.thisMs = RunProgram(driver::ProgramExe(), r.what, r.args, r.hidden, seconds);
    }
    std::printf("\nCPU ms per minute (%% of one core)%s\n", earlier.empty() ? "" : ": earlier build, this build");
    for (const Run& r : runs) {
        std::printf("  %-16s", r.what);
        if (!earlier.empty()) std::printf(" %6.0f (%.2f %%)", r.earlierMs, r.earlierMs / 600);
        std::printf(" %6.0f (%.2f %%)\n", r.thisMs, r.thisMs / 600);
    }
    return 0;
}
