// Linked only into the test build of the program (testbin\Ramvane.exe), never into the one
// that ships. Before the program starts, it points the program's own imports of a few Windows
// calls at stand-ins, so that each call answers as Windows answers where Wine is friendlier:
//
// - always: the UTF-8 and UTF-7 code pages take no conversion flags and no default character
//   (Windows refuses the call; Wine converts anyway). With an ANSI code page of UTF-8 this is
//   what every CP_ACP conversion meets.
// - always: a task registered in the Task Scheduler's root folder keeps its definition as
//   registered in its file (Windows keeps it; Wine keeps only the settings and drops the
//   triggers, the principal and the actions).
// - MNEMORA_AS_USER=1: the refusals a user without administrator rights meets on Windows
//   Vista to 11: no write access below HKEY_LOCAL_MACHINE, no opening of the system's own
//   processes beyond a limited query, the service manager only for reading, and no task
//   registered in the Task Scheduler (the program's asks for the highest rights).
//   MNEMORA_SYSTEM_PROCESSES adds image names (comma-separated) that count as the system's.
//   The system's memory lists stay closed: NtSetSystemInformation refuses the memory-list and
//   page-combining classes, and the privileges they need are not in the token.
// - MNEMORA_PROTECTED_PROCESSES (comma-separated image names): processes that refuse to be
//   ended to anyone, as programs that protect themselves do; they still open for queries.
// - MNEMORA_CLOCK_SPEED=n: GetTickCount runs n times as fast from the start, so that what
//   the program times in minutes happens in seconds.
// - MNEMORA_TIMER_SPEED=n: the window timers' periods and the finite waits on anything but a
//   thread or a process (a worker's stop event: the activity monitor's passes and pauses) are
//   n times shorter, so that days of refreshes and monitor cycles pass in minutes. What ran
//   meanwhile is counted in shared memory (FastTimers.h) for the test that watches.
//
// The stand-ins give the refusal as the call's own result, with the error Windows sets, so the
// program meets it exactly where it would on Windows. Calls the program looks up at run time
// are caught through GetProcAddress.
#include <windows.h>
#include <shellapi.h>
#include <taskschd.h>
#include <tlhelp32.h>
#include <winsvc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <set>
#include <string>
#include <type_traits>

#include "conditions/FastTimers.h"
#include "procmgr/ProcessMonitor.h"

namespace {

bool AsUser() {
    const char* v = std::getenv("MNEMORA_AS_USER");
    return v && *v && std::strcmp(v, "0") != 0;
}

// The real entry points, as the import table held them.
struct Real {
    decltype(&RegOpenKeyExA) regOpenKeyEx;
    decltype(&RegCreateKeyExA) regCreateKeyEx;
    decltype(&RegSetValueExA) regSetValueEx;
    decltype(&RegDeleteValueA) regDeleteValue;
    decltype(&RegDeleteKeyA) regDeleteKey;
    decltype(&RegCloseKey) regCloseKey;
    decltype(&OpenProcess) openProcess;
    decltype(&WideCharToMultiByte) wideToMulti;
    decltype(&MultiByteToWideChar) multiToWide;
    decltype(&GetProcAddress) getProcAddress;
    decltype(&GetTickCount) getTickCount;
    decltype(&OpenSCManagerA) openSCManager;
    decltype(&OpenServiceA) openService;
    decltype(&CoCreateInstance) coCreateInstance;
    HRESULT(STDMETHODCALLTYPE* getFolder)(ITaskService*, BSTR, ITaskFolder**);
    HRESULT(STDMETHODCALLTYPE* registerTask)(ITaskFolder*, BSTR, BSTR, LONG, VARIANT, VARIANT, TASK_LOGON_TYPE, VARIANT,
                                             IRegisteredTask**);
    LONG(WINAPI* ntSetSystemInformation)(ULONG, PVOID, ULONG);
    decltype(&AdjustTokenPrivileges) adjustTokenPrivileges;
    decltype(&SetTimer) setTimer;
    decltype(&WaitForSingleObject) waitForSingleObject;
    decltype(&Shell_NotifyIconA) shellNotifyIcon;
} real;

// ---- Code pages --------------------------------------------------------------------------

UINT Effective(UINT codePage) {
    if (codePage == CP_ACP || codePage == CP_THREAD_ACP) return GetACP();
    if (codePage == CP_OEMCP) return GetOEMCP();
    return codePage;
}

int WINAPI WideToMulti(UINT cp, DWORD flags, LPCWCH wide, int wideLength, LPSTR out, int outSize,
                       LPCCH defaultChar, LPBOOL usedDefault) {
    UINT page = Effective(cp);
    if (page == CP_UTF8 || page == CP_UTF7) {
        const DWORD kErrInvalidChars = 0x80;  // WC_ERR_INVALID_CHARS, declared from Vista on
        DWORD allowed = page == CP_UTF8 ? kErrInvalidChars : 0;
        if (flags & ~allowed) {
            SetLastError(ERROR_INVALID_FLAGS);
            return 0;
        }
        if (defaultChar || usedDefault) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    }
    return real.wideToMulti(cp, flags, wide, wideLength, out, outSize, defaultChar, usedDefault);
}

int WINAPI MultiToWide(UINT cp, DWORD flags, LPCCH text, int length, LPWSTR out, int outSize) {
    UINT page = Effective(cp);
    if ((page == CP_UTF8 && (flags & ~MB_ERR_INVALID_CHARS)) || (page == CP_UTF7 && flags)) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    return real.multiToWide(cp, flags, text, length, out, outSize);
}

// ---- Registry ----------------------------------------------------------------------------

const REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

// Keys below HKEY_LOCAL_MACHINE that this process holds open; every one is read-only here.
CRITICAL_SECTION gKeysLock;
std::set<HKEY>* gMachineKeys;

bool IsMachineKey(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) return true;
    EnterCriticalSection(&gKeysLock);
    bool found = gMachineKeys->count(key) != 0;
    LeaveCriticalSection(&gKeysLock);
    return found;
}

void RememberMachineKey(HKEY key) {
    EnterCriticalSection(&gKeysLock);
    gMachineKeys->insert(key);
    LeaveCriticalSection(&gKeysLock);
}

bool WantsWrite(REGSAM access) {
    // GENERIC_WRITE and GENERIC_ALL map onto the key's write rights.
    return (access & (kWriteRights | GENERIC_WRITE | GENERIC_ALL)) != 0;
}

LSTATUS WINAPI RegOpenKeyExStandIn(HKEY parent, LPCSTR sub, DWORD options, REGSAM access, PHKEY out) {
    bool machine = IsMachineKey(parent);
    if (machine && WantsWrite(access)) return ERROR_ACCESS_DENIED;
    LSTATUS status = real.regOpenKeyEx(parent, sub, options, access, out);
    if (status == ERROR_SUCCESS && machine) RememberMachineKey(*out);
    return status;
}

LSTATUS WINAPI RegCreateKeyExStandIn(HKEY parent, LPCSTR sub, DWORD reserved, LPSTR cls, DWORD options,
                                     REGSAM access, const LPSECURITY_ATTRIBUTES security, PHKEY out,
                                     LPDWORD disposition) {
    if (!IsMachineKey(parent))
        return real.regCreateKeyEx(parent, sub, reserved, cls, options, access, security, out, disposition);
    // Creating needs write access to the parent; opening an existing key for reading does not.
    if (WantsWrite(access)) return ERROR_ACCESS_DENIED;
    LSTATUS status = real.regOpenKeyEx(parent, sub, 0, access, out);
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_ACCESS_DENIED;
    if (status == ERROR_SUCCESS) {
        RememberMachineKey(*out);
        if (disposition) *disposition = REG_OPENED_EXISTING_KEY;
    }
    return status;
}

LSTATUS WINAPI RegSetValueExStandIn(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
    if (IsMachineKey(key)) return ERROR_ACCESS_DENIED;
    return real.regSetValueEx(key, name, reserved, type, data, size);
}

LSTATUS WINAPI RegDeleteValueStandIn(HKEY key, LPCSTR name) {
    if (IsMachineKey(key)) return ERROR_ACCESS_DENIED;
    return real.regDeleteValue(key, name);
}

LSTATUS WINAPI RegDeleteKeyStandIn(HKEY key, LPCSTR sub) {
    if (IsMachineKey(key)) return ERROR_ACCESS_DENIED;
    return real.regDeleteKey(key, sub);
}

LSTATUS WINAPI RegCloseKeyStandIn(HKEY key) {
    EnterCriticalSection(&gKeysLock);
    gMachineKeys->erase(key);
    LeaveCriticalSection(&gKeysLock);
    return real.regCloseKey(key);
}

// ---- Processes ---------------------------------------------------------------------------

// What a standard user may still ask of another account's process.
const DWORD kLimitedProcessRights = 0x1000 /* PROCESS_QUERY_LIMITED_INFORMATION */ | SYNCHRONIZE;

std::string Upper(std::string s) {
    CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
    return s;
}

// True when `name` is one of the comma-separated names of environment variable `variable`.
bool Listed(const char* variable, const std::string& name) {
    const char* names = std::getenv(variable);
    if (!names) return false;
    std::string list = Upper(names) + ",";
    for (size_t at = 0, comma; (comma = list.find(',', at)) != std::string::npos; at = comma + 1)
        if (comma > at && list.compare(at, comma - at, name) == 0) return true;
    return false;
}

bool IsSystemImage(const std::string& name) {
    static const char* const kSystem[] = {"SYSTEM",       "SMSS.EXE",     "CSRSS.EXE",   "WININIT.EXE",
                                          "SERVICES.EXE", "LSASS.EXE",    "WINLOGON.EXE", "SVCHOST.EXE",
                                          "RPCSS.EXE",    "PLUGPLAY.EXE", "WINEDEVICE.EXE"};
    for (const char* s : kSystem)
        if (name == s) return true;
    return Listed("MNEMORA_SYSTEM_PROCESSES", name);
}

// The image name of process `pid` in upper case, "" when it is not running.
std::string ImageName(DWORD pid) {
    if (pid == 0) return "IDLE";
    if (pid == 4) return "SYSTEM";
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return std::string();
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    std::string name;
    for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID != pid) continue;
        const char* base = std::strrchr(entry.szExeFile, '\\');
        name = Upper(base ? base + 1 : entry.szExeFile);
        break;
    }
    CloseHandle(snapshot);
    return name;
}

HANDLE WINAPI OpenProcessStandIn(DWORD access, BOOL inherit, DWORD pid) {
    bool refused = false;
    if (access & ~kLimitedProcessRights) {
        std::string name = ImageName(pid);
        refused = (AsUser() && (pid == 0 || IsSystemImage(name))) ||
                  ((access & PROCESS_TERMINATE) && Listed("MNEMORA_PROTECTED_PROCESSES", name));
    }
    if (refused) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return real.openProcess(access, inherit, pid);
}

// ---- Service manager ---------------------------------------------------------------------

const DWORD kManagerReadRights = SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS |
                                 STANDARD_RIGHTS_READ | GENERIC_READ;
const DWORD kServiceReadRights = SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_ENUMERATE_DEPENDENTS |
                                 SERVICE_INTERROGATE | SERVICE_USER_DEFINED_CONTROL | STANDARD_RIGHTS_READ |
                                 GENERIC_READ;

SC_HANDLE WINAPI OpenSCManagerStandIn(LPCSTR machine, LPCSTR database, DWORD access) {
    if (access & ~kManagerReadRights) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return real.openSCManager(machine, database, access);
}

SC_HANDLE WINAPI OpenServiceStandIn(SC_HANDLE manager, LPCSTR name, DWORD access) {
    if (access & ~kServiceReadRights) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return real.openService(manager, name, access);
}

// ---- Task Scheduler ----------------------------------------------------------------------

// Places in the vtables, in the order of taskschd.h after IDispatch's seven.
const int kGetFolderSlot = 7;      // ITaskService
const int kRegisterTaskSlot = 16;  // ITaskFolder

// Points slot `index` of `object`'s vtable at `standIn`, keeping the real entry. The vtable
// is shared by every object of the class: one patch serves them all until the DLL unloads.
template <class Fn>
void PatchSlot(void* object, int index, Fn standIn, Fn& original) {
    void** vtable = *reinterpret_cast<void***>(object);
    if (vtable[index] == reinterpret_cast<void*>(standIn)) return;
    original = reinterpret_cast<Fn>(vtable[index]);
    DWORD old = 0;
    VirtualProtect(&vtable[index], sizeof vtable[index], PAGE_READWRITE, &old);
    vtable[index] = reinterpret_cast<void*>(standIn);
    VirtualProtect(&vtable[index], sizeof vtable[index], old, &old);
}

// Writes the definition into the task's file as Windows keeps it: UTF-16 with its mark.
void KeepDefinition(BSTR name, BSTR xml) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    std::ofstream file(std::string(system) + "\\Tasks\\" + std::string(name, name + SysStringLen(name)),
                       std::ios::binary);
    file << "\xFF\xFE";
    file.write(reinterpret_cast<const char*>(xml), SysStringByteLen(xml));
}

HRESULT STDMETHODCALLTYPE RegisterTaskStandIn(ITaskFolder* folder, BSTR name, BSTR xml, LONG flags, VARIANT user,
                                              VARIANT password, TASK_LOGON_TYPE logon, VARIANT sddl,
                                              IRegisteredTask** task) {
    if (AsUser()) return E_ACCESSDENIED;
    HRESULT hr = real.registerTask(folder, name, xml, flags, user, password, logon, sddl, task);
    if (SUCCEEDED(hr)) KeepDefinition(name, xml);
    return hr;
}

// Only the root folder is asked for: the task names are the files' names below Tasks.
HRESULT STDMETHODCALLTYPE GetFolderStandIn(ITaskService* service, BSTR path, ITaskFolder** folder) {
    HRESULT hr = real.getFolder(service, path, folder);
    if (SUCCEEDED(hr) && *folder) PatchSlot(*folder, kRegisterTaskSlot, &RegisterTaskStandIn, real.registerTask);
    return hr;
}

HRESULT WINAPI CoCreateInstanceStandIn(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object) {
    HRESULT hr = real.coCreateInstance(clsid, outer, context, iid, object);
    if (SUCCEEDED(hr) && *object && IsEqualCLSID(clsid, CLSID_TaskScheduler) && IsEqualIID(iid, IID_ITaskService))
        PatchSlot(*object, kGetFolderSlot, &GetFolderStandIn, real.getFolder);
    return hr;
}

// ---- Memory lists and privileges ---------------------------------------------------------

const LONG kStatusPrivilegeNotHeld = static_cast<LONG>(0xC0000061);

LONG WINAPI NtSetSystemInformationStandIn(ULONG infoClass, PVOID info, ULONG length) {
    const ULONG kMemoryListInformation = 80, kCombinePhysicalMemoryInformation = 130;
    if (infoClass == kMemoryListInformation || infoClass == kCombinePhysicalMemoryInformation)
        return kStatusPrivilegeNotHeld;
    return real.ntSetSystemInformation(infoClass, info, length);
}

// Privileges an administrator's token holds and a user's lacks, among those the program asks for.
bool AdministratorsOnly(const LUID& luid) {
    for (const char* name : {"SeProfileSingleProcessPrivilege", "SeIncreaseQuotaPrivilege"}) {
        LUID known{};
        if (LookupPrivilegeValueA(nullptr, name, &known) && known.LowPart == luid.LowPart &&
            known.HighPart == luid.HighPart)
            return true;
    }
    return false;
}

// As Windows answers a request for privileges missing from the token: the call succeeds, changes
// nothing, reports nothing changed and sets ERROR_NOT_ALL_ASSIGNED. (A request mixing held and
// missing privileges goes through whole: the program asks for one at a time.)
BOOL WINAPI AdjustTokenPrivilegesStandIn(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state, DWORD length,
                                         PTOKEN_PRIVILEGES previous, PDWORD returnLength) {
    bool missing = !disableAll && state && state->PrivilegeCount > 0;
    for (DWORD i = 0; missing && i < state->PrivilegeCount; ++i) missing = AdministratorsOnly(state->Privileges[i].Luid);
    if (!missing) return real.adjustTokenPrivileges(token, disableAll, state, length, previous, returnLength);
    if (previous && length >= sizeof(DWORD)) previous->PrivilegeCount = 0;
    if (returnLength) *returnLength = sizeof(DWORD);
    SetLastError(ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
}

// ---- The clock ---------------------------------------------------------------------------

DWORD gClockStart;
DWORD gClockSpeed = 1;

DWORD WINAPI GetTickCountStandIn() {
    DWORD now = real.getTickCount();
    return gClockStart + (now - gClockStart) * gClockSpeed;
}

// ---- Lookups at run time -----------------------------------------------------------------

FARPROC WINAPI GetProcAddressStandIn(HMODULE module, LPCSTR name) {
    FARPROC found = real.getProcAddress(module, name);
    // Ordinals are not names.
    if (!found || reinterpret_cast<ULONG_PTR>(name) <= 0xFFFF) return found;
    auto swap = [&](auto& slot, auto standIn) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(reinterpret_cast<void*>(found));
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(standIn));
    };
    if (std::strcmp(name, "OpenProcess") == 0) return swap(real.openProcess, &OpenProcessStandIn);
    if (!AsUser()) return found;
    if (std::strcmp(name, "OpenSCManagerA") == 0) return swap(real.openSCManager, &OpenSCManagerStandIn);
    if (std::strcmp(name, "OpenServiceA") == 0) return swap(real.openService, &OpenServiceStandIn);
    if (std::strcmp(name, "NtSetSystemInformation") == 0)
        return swap(real.ntSetSystemInformation, &NtSetSystemInformationStandIn);
    if (std::strcmp(name, "AdjustTokenPrivileges") == 0)
        return swap(real.adjustTokenPrivileges, &AdjustTokenPrivilegesStandIn);
    return found;
}

// ---- The import table --------------------------------------------------------------------

struct Patch {
    const char* name;
    void* standIn;
    void** original;
    bool asUserOnly;
};

void PatchImports(const Patch* patches, size_t count) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    bool asUser = AsUser();
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const char* name = reinterpret_cast<const char*>(
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name);
            for (size_t i = 0; i < count; ++i) {
                const Patch& p = patches[i];
                if (std::strcmp(p.name, name) != 0) continue;
                *p.original = reinterpret_cast<void*>(slots->u1.Function);
                if (p.asUserOnly && !asUser) break;
                DWORD old = 0;
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(p.standIn);
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
                break;
            }
        }
    }
}

template <class Fn>
void** Slot(Fn& fn) { return reinterpret_cast<void**>(&fn); }

// ---- Fast timers -------------------------------------------------------------------------

UINT gTimerSpeed = 1;
FastTimerCounts* gCounts;  // in the mapping, which lives as long as the process
// Looked up: the headers here stop at Windows XP.
using IdOf = DWORD(WINAPI*)(HANDLE);
IdOf gThreadIdOf, gProcessIdOf;

UINT_PTR WINAPI SetTimerStandIn(HWND wnd, UINT_PTR id, UINT ms, TIMERPROC proc) {
    if (id == kRefreshTimerId && ms == kRefreshPeriodMs) InterlockedIncrement(&gCounts->refreshTicks);
    if (id == kLowMemoryTimerId && ms == kLowMemoryPeriodMs) InterlockedIncrement(&gCounts->lowMemoryTicks);
    return real.setTimer(wnd, id, std::max<UINT>(1, ms / gTimerSpeed), proc);
}

// A thread's or a process's end is waited for as long as ever: a shorter bound would end a
// stop before its worker did.
DWORD WINAPI WaitForSingleObjectStandIn(HANDLE object, DWORD ms) {
    if (ms != 0 && ms != INFINITE && gThreadIdOf(object) == 0 && gProcessIdOf(object) == 0) {
        if (ms == kMonitorPassMs) InterlockedIncrement(&gCounts->monitorWaits);
        ms = std::max<DWORD>(1, ms / gTimerSpeed);
    }
    return real.waitForSingleObject(object, ms);
}

BOOL WINAPI ShellNotifyIconStandIn(DWORD message, PNOTIFYICONDATAA data) {
    BOOL done = real.shellNotifyIcon(message, data);
    if (done && message == NIM_MODIFY && (data->uFlags & NIF_ICON)) InterlockedIncrement(&gCounts->trayPictures);
    return done;
}

void InstallFastTimers(int speed) {
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(FastTimerCounts),
                                        FastTimerCountsName(GetCurrentProcessId()).c_str());
    if (mapping) gCounts = static_cast<FastTimerCounts*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    gThreadIdOf = reinterpret_cast<IdOf>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetThreadId")));
    gProcessIdOf = reinterpret_cast<IdOf>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetProcessId")));
    // Nothing to count into, or no way to tell a stop event: the timers keep their pace.
    if (!gCounts || !gThreadIdOf || !gProcessIdOf) return;
    gTimerSpeed = static_cast<UINT>(speed);
    static const Patch kTimers[] = {
        {"SetTimer", reinterpret_cast<void*>(&SetTimerStandIn), Slot(real.setTimer), false},
        {"WaitForSingleObject", reinterpret_cast<void*>(&WaitForSingleObjectStandIn), Slot(real.waitForSingleObject),
         false},
        {"Shell_NotifyIconA", reinterpret_cast<void*>(&ShellNotifyIconStandIn), Slot(real.shellNotifyIcon), false},
    };
    PatchImports(kTimers, sizeof kTimers / sizeof kTimers[0]);
}

__attribute__((constructor)) void InstallStandIns() {
    InitializeCriticalSection(&gKeysLock);
    gMachineKeys = new std::set<HKEY>;  // lives as long as the process: keys close until the end
    static const Patch kPatches[] = {
        {"WideCharToMultiByte", reinterpret_cast<void*>(&WideToMulti), Slot(real.wideToMulti), false},
        {"MultiByteToWideChar", reinterpret_cast<void*>(&MultiToWide), Slot(real.multiToWide), false},
        {"RegOpenKeyExA", reinterpret_cast<void*>(&RegOpenKeyExStandIn), Slot(real.regOpenKeyEx), true},
        {"RegCreateKeyExA", reinterpret_cast<void*>(&RegCreateKeyExStandIn), Slot(real.regCreateKeyEx), true},
        {"RegSetValueExA", reinterpret_cast<void*>(&RegSetValueExStandIn), Slot(real.regSetValueEx), true},
        {"RegDeleteValueA", reinterpret_cast<void*>(&RegDeleteValueStandIn), Slot(real.regDeleteValue), true},
        {"RegDeleteKeyA", reinterpret_cast<void*>(&RegDeleteKeyStandIn), Slot(real.regDeleteKey), true},
        {"RegCloseKey", reinterpret_cast<void*>(&RegCloseKeyStandIn), Slot(real.regCloseKey), true},
        {"OpenProcess", reinterpret_cast<void*>(&OpenProcessStandIn), Slot(real.openProcess), false},
        {"GetProcAddress", reinterpret_cast<void*>(&GetProcAddressStandIn), Slot(real.getProcAddress), false},
        {"CoCreateInstance", reinterpret_cast<void*>(&CoCreateInstanceStandIn), Slot(real.coCreateInstance), false},
        {"AdjustTokenPrivileges", reinterpret_cast<void*>(&AdjustTokenPrivilegesStandIn),
         Slot(real.adjustTokenPrivileges), true},
    };
    PatchImports(kPatches, sizeof kPatches / sizeof kPatches[0]);
    if (const char* speed = std::getenv("MNEMORA_CLOCK_SPEED")) {
        gClockSpeed = static_cast<DWORD>(std::max(1, std::atoi(speed)));
        static const Patch kClock[] = {
            {"GetTickCount", reinterpret_cast<void*>(&GetTickCountStandIn), Slot(real.getTickCount), false}};
        gClockStart = GetTickCount();
        PatchImports(kClock, 1);
    }
    if (const char* speed = std::getenv("MNEMORA_TIMER_SPEED"))
        if (std::atoi(speed) > 1) InstallFastTimers(std::atoi(speed));
}

}  // namespace
