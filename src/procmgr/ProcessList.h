// The running processes with their executables, and the operations on one process.
// Usable on its own: the start-up items manager asks it whether a program runs.
// Nothing here keeps state between calls or shows anything; every call may run on any
// thread, each thread with its own ProcessList.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The kernel's own naming of a process's image (QueryFullProcessImageNameA, Vista on).
using ImageNameCall = BOOL(WINAPI*)(HANDLE process, DWORD flags, LPSTR path, DWORD* length);
// That call where the system has it, else null.
ImageNameCall SystemImageNameCall();

// Snapshot of the processes whose executable path could be read, in the system's order.
// ProcessIds[k] and ImagePaths[k] describe one process; the paths are kept exactly as the
// system reports them (see NormalizeImagePath for display).
class ProcessList {
public:
    ProcessList() = default;
    virtual ~ProcessList() = default;

    // Re-enumerates: toolhelp on the 9x line, PSAPI on the NT line. 1 when the enumeration
    // ran, 0 when it could not start; both lists are empty after a failure.
    int Refresh();
    // Toolhelp snapshot; the path is the main module's szExePath.
    int RefreshToolhelp();
    // PSAPI.DLL loaded by name (it is missing on some systems); all four of its entry points
    // used here must exist. Processes that cannot be opened (idle, System) are left out;
    // at most the first 1024 ids are considered. Paths come from `imageName`, or where it is
    // null (before Vista) from each process's first module.
    int RefreshPsapi(ImageNameCall imageName = SystemImageNameCall());

    std::vector<DWORD> ProcessIds;
    std::vector<std::string> ImagePaths;
    // The working sets read by RefreshPsapi through the handle it had open anyway (opening a
    // process is the dear part of a reading); empty after RefreshToolhelp, -1 where unread.
    std::vector<double> WorkingSetsMB;
};

// Copies the first `length` bytes (at most a whole MODULEENTRY32) of the module entry with
// id `moduleId` in process `processId` to `destination`; 1 when found, else 0. The id 0 (what
// systems without module ids report for every process) stands for the first, main module.
int FindModuleEntry(DWORD processId, DWORD moduleId, void* destination, DWORD length);

// Working set in megabytes (2^20 bytes) into `megabytes`; nonzero on success, and
// `megabytes` is 0.0 on every failure.
int QueryWorkingSetMB(DWORD processId, double& megabytes);

// Asks the system to take as many pages as it can from the process's working set; the
// result of SetProcessWorkingSetSize, 0 when the process cannot be opened.
int TrimWorkingSet(DWORD processId);

// Longest wait of KillProcess for a terminated process to end.
constexpr DWORD kKillWaitMs = 3000;
// The terminate call of KillProcess: TerminateProcess unless the caller gives another (one
// whose process does not end, say).
using TerminateCall = BOOL(WINAPI*)(HANDLE process, UINT exitCode);
// Terminates the process and waits up to `waitMs` until it has ended (so a list refreshed
// afterwards no longer shows it). 1 when it ended, 0 when it could not be opened or
// terminated or was still there when the wait ran out.
int KillProcess(DWORD processId, DWORD waitMs = kKillWaitMs, TerminateCall terminate = TerminateProcess);

// Display form of a kernel path: the text after "\??\", or "\SystemRoot\" replaced by the
// Windows directory; any other path unchanged. The result may be longer than MAX_PATH.
std::string NormalizeImagePath(const std::string& path);
