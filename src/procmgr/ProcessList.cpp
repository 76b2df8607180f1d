#include "procmgr/ProcessList.h"

#include <tlhelp32.h>
#include <psapi.h>

#include <algorithm>
#include <cstring>

#include "probes/OsVersion.h"
#include "ui/Handles.h"

namespace {
// The record sizes the 9x line's toolhelp expects.
#ifndef _WIN64
static_assert(sizeof(PROCESSENTRY32) == 296, "PROCESSENTRY32 size");
static_assert(sizeof(MODULEENTRY32) == 548, "MODULEENTRY32 size");
static_assert(sizeof(PROCESS_MEMORY_COUNTERS) == 40, "PROCESS_MEMORY_COUNTERS size");
#endif

constexpr DWORD kMaxProcessIds = 4096 / sizeof(DWORD);
constexpr DWORD kMaxModules = 1024;

template <class Fn>
Fn Proc(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// Toolhelp is looked up by name: NT 4's kernel32 lacks it, and an import would keep the
// program from loading there.
struct Toolhelp {
    using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
    using ProcessFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
    using ModuleFn = BOOL(WINAPI*)(HANDLE, MODULEENTRY32*);
    SnapshotFn snapshot;
    ProcessFn processFirst, processNext;
    ModuleFn moduleFirst, moduleNext;

    Toolhelp() {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        snapshot = Proc<SnapshotFn>(kernel, "CreateToolhelp32Snapshot");
        processFirst = Proc<ProcessFn>(kernel, "Process32First");
        processNext = Proc<ProcessFn>(kernel, "Process32Next");
        moduleFirst = Proc<ModuleFn>(kernel, "Module32First");
        moduleNext = Proc<ModuleFn>(kernel, "Module32Next");
    }
    bool Complete() const { return snapshot && processFirst && processNext && moduleFirst && moduleNext; }
    // A snapshot handle, or null (never INVALID_HANDLE_VALUE) on failure.
    UniqueHandle Snapshot(DWORD flags, DWORD processId) const {
        HANDLE h = snapshot(flags, processId);
        return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
    }
};

const Toolhelp& Tools() {
    static const Toolhelp tools;
    return tools;
}

// PSAPI, loaded once and kept for the life of the process: the list and the working-set
// readings use it many times a second, and the system would otherwise map it anew each time.
HMODULE Psapi() {
    static const HMODULE psapi = LoadLibraryA("PSAPI.DLL");
    return psapi;
}

// Working set in megabytes of a process opened with PROCESS_QUERY_INFORMATION; -1 when it
// cannot be read.
double WorkingSetMB(HANDLE process) {
    using MemoryInfoFn = BOOL(WINAPI*)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);
    static const auto memoryInfo = Proc<MemoryInfoFn>(Psapi(), "GetProcessMemoryInfo");
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!memoryInfo || !memoryInfo(process, &counters, sizeof counters)) return -1;
    return static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
}
}  // namespace

ImageNameCall SystemImageNameCall() {
    static const auto call = Proc<ImageNameCall>(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA");
    return call;
}

int ProcessList::Refresh() { return IsWindows9x() ? RefreshToolhelp() : RefreshPsapi(); }

int ProcessList::RefreshToolhelp() {
    ProcessIds.clear();
    ImagePaths.clear();
    WorkingSetsMB.clear();
    const Toolhelp& tools = Tools();
    if (!tools.Complete()) return 0;
    UniqueHandle snapshot = tools.Snapshot(TH32CS_SNAPPROCESS, 0);
    if (!snapshot) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    if (!tools.processFirst(snapshot.get(), &entry)) return 0;
    do {
        MODULEENTRY32 module{};
        if (FindModuleEntry(entry.th32ProcessID, entry.th32ModuleID, &module, sizeof module)) {
            ProcessIds.push_back(entry.th32ProcessID);
            ImagePaths.push_back(module.szExePath);
        }
        entry.dwSize = sizeof entry;
    } while (tools.processNext(snapshot.get(), &entry));
    return 1;
}

int FindModuleEntry(DWORD processId, DWORD moduleId, void* destination, DWORD length) {
    const Toolhelp& tools = Tools();
    if (!tools.Complete()) return 0;
    UniqueHandle snapshot = tools.Snapshot(TH32CS_SNAPMODULE, processId);
    if (!snapshot) return 0;
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    // Toolhelp of the NT line (and Wine) has no module ids: processes report 0 and the main
    // module is the first of the snapshot.
    bool first = true;
    for (BOOL more = tools.moduleFirst(snapshot.get(), &module); more; more = tools.moduleNext(snapshot.get(), &module)) {
        if (module.th32ModuleID == moduleId || (moduleId == 0 && first)) {
            std::memcpy(destination, &module, std::min<DWORD>(length, sizeof module));
            return 1;
        }
        first = false;
        module.dwSize = sizeof module;
    }
    return 0;
}

int ProcessList::RefreshPsapi(ImageNameCall imageName) {
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
    using EnumModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
    using FileNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
    ProcessIds.clear();
    ImagePaths.clear();
    WorkingSetsMB.clear();
    HMODULE psapi = Psapi();
    auto enumProcesses = Proc<EnumProcessesFn>(psapi, "EnumProcesses");
    auto fileName = Proc<FileNameFn>(psapi, "GetModuleFileNameExA");
    auto baseName = Proc<FileNameFn>(psapi, "GetModuleBaseNameA");
    auto enumModules = Proc<EnumModulesFn>(psapi, "EnumProcessModules");
    if (!enumProcesses || !fileName || !baseName || !enumModules) return 0;

    std::vector<DWORD> ids(kMaxProcessIds);
    DWORD bytes = 0;
    if (!enumProcesses(ids.data(), kMaxProcessIds * sizeof(DWORD), &bytes)) return 0;
    ids.resize(std::min<DWORD>(bytes / sizeof(DWORD), kMaxProcessIds));

    // From Vista on the kernel names a process's image itself; reading it from the module
    // list instead costs a cross-process memory read per loaded module.
    std::vector<HMODULE> modules(kMaxModules);
    char path[MAX_PATH];
    for (DWORD id : ids) {
        UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        if (!process) continue;
        DWORD length = MAX_PATH, needed = 0;
        if (imageName) {
            if (!imageName(process.get(), 0, path, &length)) continue;
        } else {
            if (!enumModules(process.get(), modules.data(), kMaxModules * sizeof(HMODULE), &needed)) continue;
            if (fileName(process.get(), modules[0], path, MAX_PATH) == 0) continue;
        }
        path[MAX_PATH - 1] = '\0';
        ImagePaths.push_back(path);
        ProcessIds.push_back(id);
        WorkingSetsMB.push_back(WorkingSetMB(process.get()));
    }
    return 1;
}

int QueryWorkingSetMB(DWORD processId, double& megabytes) {
    megabytes = 0.0;
    UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!process) return 0;
    double read = WorkingSetMB(process.get());
    if (read < 0) return 0;
    megabytes = read;
    return 1;
}

int TrimWorkingSet(DWORD processId) {
    UniqueHandle process(OpenProcess(PROCESS_SET_QUOTA, FALSE, processId));
    if (!process) return 0;
    return SetProcessWorkingSetSize(process.get(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1)) ? 1 : 0;
}

int KillProcess(DWORD processId, DWORD waitMs, TerminateCall terminate) {
    UniqueHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    if (!process) return 0;
    if (!terminate(process.get(), 0)) return 0;
    // Bounded: a process stuck in the kernel must not freeze the window that asked.
    return WaitForSingleObject(process.get(), waitMs) == WAIT_OBJECT_0 ? 1 : 0;
}

std::string NormalizeImagePath(const std::string& path) {
    static const char kDosPrefix[] = "\\??\\";
    static const char kSystemRoot[] = "\\SystemRoot\\";
    size_t at = path.find(kDosPrefix);
    if (at != std::string::npos) return path.substr(at + std::strlen(kDosPrefix));
    at = path.find(kSystemRoot);
    if (at == std::string::npos) return path;
    char windows[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) windows[0] = '\0';
    return std::string(windows) + "\\" + path.substr(at + std::strlen(kSystemRoot));
}
