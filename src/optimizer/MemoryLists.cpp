#include "optimizer/MemoryLists.h"

#include "probes/OsVersion.h"

MemoryListsAvailability MemoryListsAvailableOn(const OSVERSIONINFOEXA& version) {
    MemoryListsAvailability a;
    a.lists = IsVistaOrLater(version);
    a.combine = IsWindows10OrLater(version);
    return a;
}

MemoryListsAvailability MemoryListsAvailable() { return MemoryListsAvailableOn(QueryOsVersion()); }

namespace {
using SetSystemInformationFunction = LONG(WINAPI*)(ULONG, PVOID, ULONG);

// Puts the entry point `name` of `module`, of type Pointer, into `slot`; empty when missing.
template <class Pointer, class Fn>
void Bind(std::function<Fn>& slot, const MemoryListsLoader& loader, HMODULE module, const char* name) {
    FARPROC found = module ? loader.lookup(module, name) : nullptr;
    if (found) slot = reinterpret_cast<Pointer>(reinterpret_cast<void*>(found));
}
}  // namespace

MemoryListCalls BindMemoryListCalls(const MemoryListsLoader& loader) {
    MemoryListCalls calls;
    HMODULE ntdll = loader.module("ntdll.dll");
    HMODULE advapi = loader.module("advapi32.dll");
    Bind<SetSystemInformationFunction>(calls.setSystemInformation, loader, ntdll, "NtSetSystemInformation");
    Bind<decltype(&OpenProcessToken)>(calls.openProcessToken, loader, advapi, "OpenProcessToken");
    Bind<decltype(&LookupPrivilegeValueA)>(calls.lookupPrivilegeValue, loader, advapi, "LookupPrivilegeValueA");
    Bind<decltype(&AdjustTokenPrivileges)>(calls.adjustTokenPrivileges, loader, advapi, "AdjustTokenPrivileges");
    calls.closeHandle = [](HANDLE h) { return CloseHandle(h); };
    return calls;
}

bool MemoryListsResult::AnyRan() const {
    for (const MemoryListStepResult& s : steps)
        if (s.outcome == StepOutcome::Ran || s.outcome == StepOutcome::Partly) return true;
    return false;
}

namespace {
// The privilege enabled for its lifetime; only a change it made is undone.
class PrivilegeScope {
public:
    PrivilegeScope(const MemoryListCalls& calls, MemoryListsResult& result) : calls_(calls) {
        if (!calls.openProcessToken || !calls.lookupPrivilegeValue || !calls.adjustTokenPrivileges) {
            result.privilege = PrivilegeOutcome::Unavailable;
            return;
        }
        TOKEN_PRIVILEGES wanted = {};
        wanted.PrivilegeCount = 1;
        wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!calls.openProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token_)) {
            token_ = nullptr;  // what a failed call leaves there is no handle
            Fail(result, GetLastError());
            return;
        }
        if (!calls.lookupPrivilegeValue(nullptr, kProfileSingleProcessPrivilege, &wanted.Privileges[0].Luid)) {
            Fail(result, GetLastError());
            return;
        }
        DWORD length = 0;
        if (!calls.adjustTokenPrivileges(token_, FALSE, &wanted, sizeof previous_, &previous_, &length)) {
            Fail(result, GetLastError());
            return;
        }
        // The call succeeds without the privilege; only the last error tells.
        DWORD error = GetLastError();
        if (error == ERROR_NOT_ALL_ASSIGNED) {
            result.privilege = PrivilegeOutcome::NotHeld;
            previous_.PrivilegeCount = 0;
            return;
        }
        result.privilege = PrivilegeOutcome::Enabled;
        restore_ = previous_.PrivilegeCount != 0;  // none when it was enabled already
    }
    ~PrivilegeScope() {
        if (restore_) calls_.adjustTokenPrivileges(token_, FALSE, &previous_, 0, nullptr, nullptr);
        if (token_ && calls_.closeHandle) calls_.closeHandle(token_);
    }
    PrivilegeScope(const PrivilegeScope&) = delete;
    PrivilegeScope& operator=(const PrivilegeScope&) = delete;

private:
    void Fail(MemoryListsResult& result, DWORD error) {
        result.privilege = PrivilegeOutcome::Failed;
        result.privilegeError = error;
    }
    const MemoryListCalls& calls_;
    HANDLE token_ = nullptr;
    TOKEN_PRIVILEGES previous_ = {};
    bool restore_ = false;
};

MemoryListStepResult Answer(LONG status) {
    return {status == kStatusSuccess ? StepOutcome::Ran : StepOutcome::Refused, status};
}

LONG ListCommand(const MemoryListCalls& calls, ULONG command) {
    ULONG value = command;
    return calls.setSystemInformation(kSystemMemoryListInformation, &value, sizeof value);
}

MemoryListStepResult PurgeStandby(const MemoryListCalls& calls) {
    // The low-priority part first: if the whole purge is refused, that part may still go.
    LONG lowPriority = ListCommand(calls, kMemoryPurgeLowPriorityStandbyList);
    MemoryListStepResult whole = Answer(ListCommand(calls, kMemoryPurgeStandbyList));
    if (whole.outcome == StepOutcome::Refused && lowPriority == kStatusSuccess) whole.outcome = StepOutcome::Partly;
    return whole;
}

MemoryListStepResult Combine(const MemoryListCalls& calls, std::uint64_t& pagesCombined) {
    MemoryCombineInformationEx info = {};
    MemoryListStepResult r =
        Answer(calls.setSystemInformation(kSystemCombinePhysicalMemoryInformation, &info, sizeof info));
    if (r.outcome == StepOutcome::Ran) pagesCombined = info.PagesCombined;
    return r;
}

MemoryListStepResult RunStep(MemoryListStep step, const MemoryListCalls& calls, MemoryListsResult& result) {
    switch (step) {
    case MemoryListStep::EmptyWorkingSets: return Answer(ListCommand(calls, kMemoryEmptyWorkingSets));
    case MemoryListStep::FlushModifiedList: return Answer(ListCommand(calls, kMemoryFlushModifiedList));
    case MemoryListStep::PurgeStandbyList: return PurgeStandby(calls);
    case MemoryListStep::CombinePages: return Combine(calls, result.pagesCombined);
    }
    return {};
}

bool Offered(MemoryListStep step, MemoryListsAvailability available, const MemoryListCalls& calls) {
    if (!calls.setSystemInformation) return false;
    return step == MemoryListStep::CombinePages ? available.combine : available.lists;
}
}  // namespace

MemoryListsResult RunMemoryLists(MemoryListSteps steps, MemoryListsAvailability available,
                                 const MemoryListCalls& calls, const BeforeMemoryListStep& beforeStep) {
    MemoryListsResult result;
    bool anyToRun = false;
    for (int i = 0; i < kMemoryListStepCount; ++i) {
        auto step = static_cast<MemoryListStep>(i);
        if (!(steps & StepBit(step))) continue;
        if (Offered(step, available, calls))
            anyToRun = true;
        else
            result.steps[i].outcome = StepOutcome::NotAvailable;
    }
    if (!anyToRun) return result;
    PrivilegeScope privilege(calls, result);
    for (int i = 0; i < kMemoryListStepCount; ++i) {
        auto step = static_cast<MemoryListStep>(i);
        if (!(steps & StepBit(step)) || result.steps[i].outcome == StepOutcome::NotAvailable) continue;
        if (beforeStep && !beforeStep(step)) break;
        result.steps[i] = RunStep(step, calls, result);
    }
    return result;
}

PrivilegeOutcome ProbeMemoryListsPrivilege(const MemoryListCalls& calls) {
    MemoryListsResult result;
    { PrivilegeScope scope(calls, result); }
    return result.privilege;
}
