// The process manager under load: one fill of its list (enumeration, working sets, rows,
// then the icons of the rows shown) with 100 extra processes of distinct programs running, and the processor time the activity monitor
// thread uses per cycle, as a share of one core over the 150-second cycle of the product.
// Usage: bench_procmgr [extra processes, default 100]   (started with --child it idles)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "procmgr/ProcessList.h"
#include "procmgr/ProcessMonitor.h"
#include "procmgr/ProcessRows.h"
#include "resource.h"
#include "ui/FileIcon.h"
#include "ui/ListView.h"
#include "BenchClock.h"

namespace {
const int kRuns = 11;
// A cycle of the product: 15 passes of 5 s, each followed by a 5 s pause.
const double kProductCycleSeconds = kPassesPerCycle * 2 * kMonitorPassMs / 1000.0;

struct Children {
    std::vector<PROCESS_INFORMATION> running;
    ~Children() {
        for (PROCESS_INFORMATION& pi : running) {
            TerminateProcess(pi.hProcess, 0);
            WaitForSingleObject(pi.hProcess, 5000);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
        for (const std::string& copy : copies) DeleteFileA(copy.c_str());
        if (!folder.empty()) RemoveDirectoryA(folder.c_str());
    }
    // Each child runs from a copy of its own, so every row has a program path of its own.
    bool Start(int count) {
        char self[MAX_PATH], temp[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "bench_procmgr";
        CreateDirectoryA(folder.c_str(), nullptr);
        for (int i = 0; i < count; ++i) {
            char exe[MAX_PATH], line[2 * MAX_PATH];
            std::snprintf(exe, sizeof exe, "%s\\child_%03d.exe", folder.c_str(), i);
            if (!CopyFileA(self, exe, FALSE)) return false;
            copies.push_back(exe);
            std::snprintf(line, sizeof line, "\"%s\" --child", exe);
            STARTUPINFOA si{};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi{};
            if (!CreateProcessA(exe, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
            running.push_back(pi);
        }
        for (PROCESS_INFORMATION& pi : running) WaitForInputIdle(pi.hProcess, 10000);
        return true;
    }
    std::string folder;
    std::vector<std::string> copies;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Milliseconds of `step`, median of kRuns after one warm-up run.
template <class Step>
double MedianMs(Step step) {
    step();
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        double t0 = Now();
        step();
        ms.push_back((Now() - t0) * 1000.0);
    }
    return Median(ms);
}

double ThreadCpuSeconds(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0.0;
    auto units = [](const FILETIME& f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<double>(units(kernel) + units(user)) / 1e7;
}

struct FillState {
    ProcessList list;
    FileIconCache icons;
};
FillState* gFill = nullptr;

// The list's parent, answering its icon requests as the process manager does.
LRESULT CALLBACK HostProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY && gFill) {
        UINT code = reinterpret_cast<NMHDR*>(lp)->code;
        if (code == LVN_GETDISPINFOA || code == LVN_GETDISPINFOW) {
            AnswerIconRequest(lp, gFill->list, gFill->icons);
            return 0;
        }
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void BenchFill() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BenchProcessHost";
    RegisterClassA(&wc);
    HWND host = CreateWindowExA(0, wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 420,
                                nullptr, nullptr, wc.hInstance, nullptr);
    HWND window = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 10, 10, 610, 360, host,
                                  reinterpret_cast<HMENU>(1055), wc.hInstance, nullptr);
    ListView view;
    view.Attach(window);
    view.SetUp(kToolListStyles, kProcessColumns);
    FillState state;
    gFill = &state;
    ProcessList& list = state.list;
    ProcessMonitor monitor;  // not started: no flags

    double enumerate = MedianMs([&] { list.Refresh(); });
    size_t count = list.ProcessIds.size();
    UniqueImageList every(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 9, 0));
    double everyIcon = MedianMs([&] {
        ImageList_RemoveAll(every.get());
        for (const std::string& path : list.ImagePaths) AddFileIcon(path, every.get(), IDI_PROGRAM_FALLBACK);
    });
    double workingSets = MedianMs([&] {
        double mb;
        for (DWORD id : list.ProcessIds) QueryWorkingSetMB(id, mb);
    });
    // Opening the window: a fill and the first paint, which reads the icons of the rows shown.
    std::vector<double> coldFill, coldPaint;
    for (int i = 0; i < kRuns; ++i) {
        state.icons.Attach(view.CreateSmallImages(9, 0), IDI_PROGRAM_FALLBACK);
        view.Clear();
        double t0 = Now();
        FillProcessList(view, list, monitor);
        double t1 = Now();
        UpdateWindow(window);
        double t2 = Now();
        coldFill.push_back((t1 - t0) * 1000.0);
        coldPaint.push_back((t2 - t1) * 1000.0);
    }
    // Every later refresh: the icons are known.
    double warm = MedianMs([&] {
        FillProcessList(view, list, monitor);
        UpdateWindow(window);
    });
    std::printf("  processes listed            %zu (rows %d, icons read %d)\n", count, view.Count(),
                ImageList_GetImageCount(view.SmallImages()));
    std::printf("  FillProcessList, opening    %8.2f ms   (aim: well under 100 ms)\n", Median(coldFill));
    std::printf("    first paint with icons    %8.2f ms   (the rows in view)\n", Median(coldPaint));
    std::printf("  FillProcessList and paint, %8.2f ms   (every automatic refresh)\n", warm);
    std::printf("  parts: enumeration          %8.2f ms\n", enumerate);
    std::printf("         working sets         %8.2f ms\n", workingSets);
    std::printf("         icons of every row   %8.2f ms   (not paid: icons are read when shown, once)\n", everyIcon);
    gFill = nullptr;
    DestroyWindow(host);
}

void BenchMonitor() {
    // Short passes: the work of a cycle (one enumeration and two reads of every process's
    // times in each of 15 passes, one enumeration and the trims at the end) is what the
    // product spends in 150 s; only the sleeping is shorter.
    const unsigned passMs = 200;
    const int cycles = 3;
    ProcessMonitor monitor(passMs);
    monitor.Start();
    HANDLE thread = monitor.Thread();
    double t0 = Now();
    while (monitor.CyclesCompleted() < 1) Sleep(10);
    double cpu0 = ThreadCpuSeconds(thread), wall0 = Now();
    while (monitor.CyclesCompleted() < 1 + cycles) Sleep(10);
    double cpu = (ThreadCpuSeconds(thread) - cpu0) / cycles, wall = (Now() - wall0) / cycles;
    double stop0 = Now();
    monitor.Stop();
    double stopMs = (Now() - stop0) * 1000.0;
    double working = wall - kPassesPerCycle * 2 * passMs / 1000.0;
    std::printf("  monitor cycle with %u ms passes: %.2f s wall (first after %.2f s), %.0f ms of it working\n", passMs,
                wall, wall0 - t0, working * 1000.0);
    std::printf("  monitor processor time       %8.2f ms per cycle\n", cpu * 1000.0);
    std::printf("  share of one core            %8.4f %%  over a %.0f s product cycle (aim: under 0.1 %%)\n",
                100.0 * cpu / (kProductCycleSeconds + working), kProductCycleSeconds);
    std::printf("  StopMonitor                  %8.2f ms\n", stopMs);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) {
        Sleep(INFINITE);
        return 0;
    }
    int extra = argc > 1 ? std::atoi(argv[1]) : 100;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    Children children;
    double t0 = Now();
    if (!children.Start(extra)) {
        std::printf("could not start %d extra processes\n", extra);
        return 1;
    }
    std::printf("process manager with %d extra processes (started in %.1f s)\n", extra, Now() - t0);
    BenchFill();
    BenchMonitor();
    return 0;
}
