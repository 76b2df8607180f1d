// The memory lists run: from Vista on the system keeps most used memory in lists it can give
// back at once. The run empties them through ntdll's NtSetSystemInformation, looked up at run
// time (the 9x line and NT 4 must still load the program), as are the token calls.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>

// The steps of a lists run, in the order they run.
enum class MemoryListStep { EmptyWorkingSets, FlushModifiedList, PurgeStandbyList, CombinePages };
constexpr int kMemoryListStepCount = 4;

// Which steps a run takes: one bit per step (bit n for step n), all four by default.
using MemoryListSteps = unsigned;
constexpr MemoryListSteps StepBit(MemoryListStep step) { return 1u << static_cast<int>(step); }
constexpr MemoryListSteps kAllMemoryListSteps = (1u << kMemoryListStepCount) - 1;

// NTSTATUS values the run meets.
constexpr LONG kStatusSuccess = 0;
constexpr LONG kStatusNotImplemented = static_cast<LONG>(0xC0000002);
constexpr LONG kStatusInvalidInfoClass = static_cast<LONG>(0xC0000003);
constexpr LONG kStatusAccessDenied = static_cast<LONG>(0xC0000022);
constexpr LONG kStatusPrivilegeNotHeld = static_cast<LONG>(0xC0000061);

// The system-information classes and commands of NtSetSystemInformation.
constexpr ULONG kSystemMemoryListInformation = 80;
constexpr ULONG kSystemCombinePhysicalMemoryInformation = 130;
constexpr ULONG kMemoryEmptyWorkingSets = 2;
constexpr ULONG kMemoryFlushModifiedList = 3;
constexpr ULONG kMemoryPurgeStandbyList = 4;
constexpr ULONG kMemoryPurgeLowPriorityStandbyList = 5;
// MEMORY_COMBINE_INFORMATION_EX, the record of class 130 (Windows 10).
struct MemoryCombineInformationEx {
    HANDLE Handle;
    ULONG_PTR PagesCombined;
    ULONG Flags;
};
// The privilege the lists commands and combining need.
constexpr char kProfileSingleProcessPrivilege[] = "SeProfileSingleProcessPrivilege";

// What this system offers: the lists from Vista on, combining pages from Windows 10.
struct MemoryListsAvailability {
    bool lists = false;
    bool combine = false;
};
MemoryListsAvailability MemoryListsAvailableOn(const OSVERSIONINFOEXA& version);
// The same for the running system (QueryOsVersion).
MemoryListsAvailability MemoryListsAvailable();

// The system calls of a run; an empty entry is a call this system lacks. Tests replace them.
struct MemoryListCalls {
    std::function<LONG(ULONG infoClass, void* info, ULONG length)> setSystemInformation;
    std::function<BOOL(HANDLE process, DWORD access, HANDLE* token)> openProcessToken;
    std::function<BOOL(const char* system, const char* name, LUID* luid)> lookupPrivilegeValue;
    // AdjustTokenPrivileges; sets the last error (ERROR_NOT_ALL_ASSIGNED) as Windows does.
    std::function<BOOL(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state, DWORD length,
                       TOKEN_PRIVILEGES* previous, DWORD* returnLength)>
        adjustTokenPrivileges;
    std::function<BOOL(HANDLE handle)> closeHandle;
};

// How the entry points are found; tests replace either step.
struct MemoryListsLoader {
    std::function<HMODULE(const char* name)> module = [](const char* name) { return GetModuleHandleA(name); };
    std::function<FARPROC(HMODULE module, const char* name)> lookup = [](HMODULE module, const char* name) {
        return GetProcAddress(module, name);
    };
};
// NtSetSystemInformation of ntdll and the token calls of advapi32, each left empty when the
// system lacks it; CloseHandle always.
MemoryListCalls BindMemoryListCalls(const MemoryListsLoader& loader = MemoryListsLoader());

enum class StepOutcome {
    NotRun,        // not chosen, or the run was stopped before it
    NotAvailable,  // this system has no such step (or no NtSetSystemInformation)
    Ran,           // the system reported it done
    Partly,        // standby list: only its low-priority part was purged
    Refused,       // the system refused it; `status` says why
};
struct MemoryListStepResult {
    StepOutcome outcome = StepOutcome::NotRun;
    LONG status = kStatusSuccess;  // the NTSTATUS of the step's (last) call
};

enum class PrivilegeOutcome {
    Untouched,    // no step needed it
    Enabled,      // enabled for the run and restored after
    NotHeld,      // the account lacks it (ERROR_NOT_ALL_ASSIGNED)
    Failed,       // a token call failed; `privilegeError` holds its error
    Unavailable,  // the token calls are missing
};

struct MemoryListsResult {
    MemoryListStepResult steps[kMemoryListStepCount];
    PrivilegeOutcome privilege = PrivilegeOutcome::Untouched;
    DWORD privilegeError = 0;
    std::uint64_t pagesCombined = 0;  // as the system reported it; 0 unless combining ran

    const MemoryListStepResult& Step(MemoryListStep step) const { return steps[static_cast<int>(step)]; }
    // True when the system reported at least one step done (also partly).
    bool AnyRan() const;
};

// Called before each step that will run; false stops the run there.
using BeforeMemoryListStep = std::function<bool(MemoryListStep step)>;

// Runs the chosen steps this system offers, in order: empty the working sets, flush the
// modified list, purge the standby list (its low-priority part first), combine pages. The
// privilege is enabled for the run and restored after. A refused step does not stop the
// others; each step's result is what the system answered.
MemoryListsResult RunMemoryLists(MemoryListSteps steps, MemoryListsAvailability available,
                                 const MemoryListCalls& calls, const BeforeMemoryListStep& beforeStep = nullptr);

// Whether this process may enable the privilege a lists run needs: it is enabled and at once
// restored, as a run would. Enabled (the account holds it), NotHeld (a user without
// administrator rights), Failed or Unavailable.
PrivilegeOutcome ProbeMemoryListsPrivilege(const MemoryListCalls& calls);
// The share of a lists run done once `step` (0..3) has run, in percent.
inline double ListsProgressPercent(int step) { return (step + 1) * 100.0 / kMemoryListStepCount; }
