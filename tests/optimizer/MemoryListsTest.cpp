#include "optimizer/MemoryLists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {
HANDLE const kToken = reinterpret_cast<HANDLE>(0x5150);

// A system that logs every call ("80/2" … "80/5", "130", "open", "enable" …) and answers
// each system-information call as `answers` says (success when not listed).
struct FakeSystem {
    std::vector<std::string> log;
    std::map<std::string, LONG> answers;
    bool tokenOpens = true;
    DWORD adjustError = ERROR_SUCCESS;  // ERROR_NOT_ALL_ASSIGNED: the account lacks the privilege
    DWORD changed = 1;                  // privileges the enabling call reports it changed

    MemoryListCalls Calls() {
        MemoryListCalls c;
        c.setSystemInformation = [this](ULONG cls, void* info, ULONG length) {
            std::string name = std::to_string(cls);
            if (cls == kSystemMemoryListInformation && length == sizeof(ULONG))
                name += "/" + std::to_string(*static_cast<ULONG*>(info));
            auto* combine = static_cast<MemoryCombineInformationEx*>(info);
            if (cls == kSystemCombinePhysicalMemoryInformation && length == sizeof *combine && !combine->Handle &&
                !combine->Flags)
                combine->PagesCombined = 777;
            log.push_back(name);
            return answers.count(name) ? answers[name] : kStatusSuccess;
        };
        c.openProcessToken = [this](HANDLE process, DWORD access, HANDLE* token) {
            bool rights = process == GetCurrentProcess() && access == (TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY);
            log.push_back(rights ? "open" : "open with wrong rights");
            *token = kToken;
            SetLastError(tokenOpens ? ERROR_SUCCESS : ERROR_ACCESS_DENIED);
            return tokenOpens ? TRUE : FALSE;
        };
        c.lookupPrivilegeValue = [this](const char*, const char* name, LUID* luid) {
            log.push_back(name);
            *luid = LUID{13, 0};
            return TRUE;
        };
        c.adjustTokenPrivileges = [this](HANDLE token, BOOL all, TOKEN_PRIVILEGES* state, DWORD, TOKEN_PRIVILEGES* previous,
                                         DWORD*) {
            bool sane = token == kToken && !all && state->PrivilegeCount == 1 && state->Privileges[0].Luid.LowPart == 13;
            bool enable = state->Privileges[0].Attributes == SE_PRIVILEGE_ENABLED;
            log.push_back(!sane ? "bad adjust" : enable ? "enable" : "restore");
            if (previous) *previous = TOKEN_PRIVILEGES{changed, {{state->Privileges[0].Luid, 0}}};
            SetLastError(enable ? adjustError : ERROR_SUCCESS);
            return TRUE;
        };
        c.closeHandle = [this](HANDLE h) {
            log.push_back(h == kToken ? "close" : "close stray handle");
            return TRUE;
        };
        return c;
    }
    size_t Count(const char* call) const { return std::count(log.begin(), log.end(), call); }
};

const MemoryListsAvailability kWindows10{true, true}, kVista{true, false};
const StepOutcome kRan = StepOutcome::Ran, kRefused = StepOutcome::Refused, kNotRun = StepOutcome::NotRun,
                  kMissing = StepOutcome::NotAvailable;
using Outcomes = std::vector<StepOutcome>;
Outcomes OutcomesOf(const MemoryListsResult& r) {
    return {r.steps[0].outcome, r.steps[1].outcome, r.steps[2].outcome, r.steps[3].outcome};
}
}  // namespace

TEST(MemoryListsRun, EachStepInOrderWithinThePrivilegeThenRestoresIt) {
    FakeSystem system;
    std::vector<MemoryListStep> announced;
    MemoryListsResult r = RunMemoryLists(kAllMemoryListSteps, kWindows10, system.Calls(), [&](MemoryListStep s) {
        announced.push_back(s);
        return true;
    });
    const std::vector<std::string> expected = {"open", "SeProfileSingleProcessPrivilege", "enable", "80/2", "80/3",
                                               "80/5", "80/4", "130", "restore", "close"};
    EXPECT_EQ(system.log, expected);
    EXPECT_EQ(announced.size(), 4u);
    EXPECT_EQ(OutcomesOf(r), Outcomes(4, kRan));
    EXPECT_EQ(r.privilege, PrivilegeOutcome::Enabled);
    EXPECT_EQ(r.pagesCombined, 777u);

    // A stop before the standby step leaves the rest unrun, and the privilege is still restored.
    FakeSystem stopped;
    r = RunMemoryLists(kAllMemoryListSteps, kWindows10, stopped.Calls(),
                       [](MemoryListStep s) { return s != MemoryListStep::PurgeStandbyList; });
    EXPECT_EQ(OutcomesOf(r), (Outcomes{kRan, kRan, kNotRun, kNotRun}));
    EXPECT_EQ(stopped.Count("restore"), 1u);
}

TEST(MemoryListsRun, ChosenStepsTheSystemOffersRunAndARefusalIsReportedWithItsStatus) {
    const MemoryListSteps flushAndCombine = StepBit(MemoryListStep::FlushModifiedList) | StepBit(MemoryListStep::CombinePages);
    const LONG kNotHeld = kStatusPrivilegeNotHeld, kDenied = kStatusAccessDenied;
    struct Case {
        MemoryListSteps steps;
        MemoryListsAvailability available;
        std::map<std::string, LONG> answers;
        Outcomes outcomes;
        LONG status;    // of the steps not done
        size_t calls;   // of NtSetSystemInformation
    } cases[] = {
        {kAllMemoryListSteps, kWindows10, {{"80/2", kNotHeld}}, {kRefused, kRan, kRan, kRan}, kNotHeld, 5},
        {kAllMemoryListSteps, kWindows10, {{"80/3", kDenied}}, {kRan, kRefused, kRan, kRan}, kDenied, 5},
        // The low-priority part went and the whole purge did not; the other way round; neither.
        {kAllMemoryListSteps, kVista, {{"80/4", kDenied}}, {kRan, kRan, StepOutcome::Partly, kMissing}, kDenied, 4},
        {kAllMemoryListSteps, kVista, {{"80/5", kStatusInvalidInfoClass}}, {kRan, kRan, kRan, kMissing}, 0, 4},
        {kAllMemoryListSteps, kVista, {{"80/4", kDenied}, {"80/5", kDenied}}, {kRan, kRan, kRefused, kMissing}, kDenied, 4},
        {kAllMemoryListSteps, kWindows10, {{"130", kStatusNotImplemented}}, {kRan, kRan, kRan, kRefused}, kStatusNotImplemented, 5},
        {kAllMemoryListSteps, {}, {}, Outcomes(4, kMissing), 0, 0},  // XP, NT 4, the 9x line
        {flushAndCombine, kWindows10, {}, {kNotRun, kRan, kNotRun, kRan}, 0, 2},
        {StepBit(MemoryListStep::CombinePages), kVista, {}, {kNotRun, kNotRun, kNotRun, kMissing}, 0, 0},
        {0, kWindows10, {}, Outcomes(4, kNotRun), 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        FakeSystem system;
        system.answers = c.answers;
        MemoryListsResult r = RunMemoryLists(c.steps, c.available, system.Calls());
        EXPECT_EQ(OutcomesOf(r), c.outcomes);
        for (const MemoryListStepResult& s : r.steps)
            EXPECT_EQ(s.status, s.outcome == kRefused || s.outcome == StepOutcome::Partly ? c.status : kStatusSuccess);
        EXPECT_EQ(r.pagesCombined, c.outcomes[3] == kRan ? 777u : 0u);  // nothing claimed of a refused step
        EXPECT_EQ(std::count_if(system.log.begin(), system.log.end(), [](const std::string& s) { return isdigit(s[0]); }),
                  static_cast<long>(c.calls));
        // The token is left alone when nothing runs, and closed when it was opened.
        EXPECT_EQ(r.privilege, c.calls ? PrivilegeOutcome::Enabled : PrivilegeOutcome::Untouched);
        EXPECT_EQ(system.log.empty() ? "" : system.log.back(), c.calls ? "close" : "");
    }
    // Without NtSetSystemInformation nothing is available.
    FakeSystem bare;
    MemoryListCalls calls = bare.Calls();
    calls.setSystemInformation = nullptr;
    EXPECT_EQ(OutcomesOf(RunMemoryLists(kAllMemoryListSteps, kWindows10, calls)), Outcomes(4, kMissing));
}

TEST(MemoryListsRun, WithoutThePrivilegeTheSystemIsStillAskedAndNothingIsRestored) {
    FakeSystem user;
    user.adjustError = ERROR_NOT_ALL_ASSIGNED;
    user.changed = 0;
    for (const char* call : {"80/2", "80/3", "80/4", "80/5"}) user.answers[call] = kStatusPrivilegeNotHeld;
    MemoryListsResult r = RunMemoryLists(kAllMemoryListSteps, kVista, user.Calls());
    EXPECT_EQ(r.privilege, PrivilegeOutcome::NotHeld);
    EXPECT_EQ(OutcomesOf(r), (Outcomes{kRefused, kRefused, kRefused, kMissing}));
    EXPECT_FALSE(r.AnyRan());
    EXPECT_EQ(user.Count("restore"), 0u);
    EXPECT_EQ(user.log.back(), "close");

    FakeSystem admin;  // enabled already: nothing to restore either
    admin.changed = 0;
    RunMemoryLists(kAllMemoryListSteps, kVista, admin.Calls());
    EXPECT_EQ(admin.Count("restore"), 0u);

    // A token that cannot be opened: its error is kept, nothing is closed, the system decides.
    FakeSystem locked;
    locked.tokenOpens = false;
    r = RunMemoryLists(kAllMemoryListSteps, kVista, locked.Calls());
    EXPECT_EQ(r.privilege, PrivilegeOutcome::Failed);
    EXPECT_EQ(r.privilegeError, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(OutcomesOf(r), (Outcomes{kRan, kRan, kRan, kMissing}));
    EXPECT_EQ(locked.Count("close"), 0u);

    FakeSystem bare;  // no token calls at all
    MemoryListCalls calls = bare.Calls();
    calls.adjustTokenPrivileges = nullptr;
    EXPECT_EQ(RunMemoryLists(kAllMemoryListSteps, kVista, calls).privilege, PrivilegeOutcome::Unavailable);
}
