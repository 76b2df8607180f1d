#include "svcmgr/ServiceApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/ProgramPath.h"
#include "svcmgr/StartWait.h"
#include "svcmgr/TestServices.h"

namespace {
const char kName[] = "TlntSvr";
const char kDescription[] = "Lets a remote user log on and run programs from a command line.";

const char* const kEntryPoints[] = {
    "OpenSCManagerA",      "CloseServiceHandle",   "LockServiceDatabase", "UnlockServiceDatabase",
    "QueryServiceLockStatusA", "OpenServiceA",     "QueryServiceConfigA", "QueryServiceConfig2A",
    "QueryServiceStatus",  "StartServiceA",        "ControlService",      "ChangeServiceConfigA",
};

DWORD gLockError = 0;
SC_LOCK WINAPI RefusedLock(SC_HANDLE) {
    SetLastError(gLockError);
    return nullptr;
}

// The state texts come from the shipped language file beside the test program.
class ServiceApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyFileA((driver::ProgramDir() + "\\English.ini").c_str(), ini_.c_str(), FALSE));
    }
    void TearDown() override { DeleteFileA(ini_.c_str()); }
    std::string ini_ = ProgramFilePath("English.ini");
};

// The test service installed as Telnet, stopped, on demand, for each test; removed after it.
class ServiceApiOnWine : public ServiceApiTest {
protected:
    void SetUp() override {
        ServiceApiTest::SetUp();
        command_ = testsvc::Install(kName, "Telnet", "1500", SERVICE_DEMAND_START, kDescription);
        ASSERT_FALSE(command_.empty());
        api_.SetErrorSink([this](const char* text) { reports_.push_back(text); });
        ASSERT_EQ(api_.BindServiceApi(), 1);
        ASSERT_EQ(api_.ConnectServiceManager(), 1);
    }
    void TearDown() override {
        EXPECT_TRUE(testsvc::Remove(kName));
        ServiceApiTest::TearDown();
    }
    // A second connection whose database lock fails with `error`, as when another program
    // holds it (Wine's own lock always succeeds).
    ServiceApi& LockFailingWith(DWORD error) {
        gLockError = error;
        ServiceLoader loader;
        loader.lookup = [](HMODULE module, const char* name) -> FARPROC {
            if (std::string(name) != "LockServiceDatabase") return GetProcAddress(module, name);
            return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RefusedLock));
        };
        others_.emplace_back(new ServiceApi(loader));
        ServiceApi& api = *others_.back();
        api.SetErrorSink([this](const char* text) { reports_.push_back(text); });
        EXPECT_EQ(api.BindServiceApi(), 1);
        EXPECT_EQ(api.ConnectServiceManager(), 1);
        return api;
    }
    bool Reported(const std::string& text) const {
        return std::find(reports_.begin(), reports_.end(), text) != reports_.end();
    }
    std::string command_;
    std::vector<std::string> reports_;
    ServiceApi api_;
    std::vector<std::unique_ptr<ServiceApi>> others_;
};

// A starting service as a script of check points, one per poll; past the end the last one
// repeats. kRuns: the poll finds it running; kFails: the poll fails; kAdvances: one check
// point further at every poll, for ever.
const long kRuns = -1, kFails = -2, kAdvances = -3;
struct ScriptedStart {
    const char* name;
    DWORD waitHint;
    std::vector<long> polls;
    DWORD startTick;
    size_t pauses;
    DWORD pause;
    DWORD finalState;
};
}  // namespace

TEST(StartWait, PausesATenthOfTheWaitHintWithinOneToTenSeconds) {
    const DWORD cases[][2] = {{0, 1000}, {2000, 1000}, {10000, 1000}, {10010, 1001},
                              {30000, 3000}, {100000, 10000}, {200000, 10000}, {0xFFFFFFFF, 10000}};
    for (const auto& c : cases) EXPECT_EQ(StartPollPause(c[0]), c[1]) << "wait hint " << c[0];
}

TEST(StartWait, FollowsTheCheckPointsAndGivesUpWhenTheyStall) {
    const ScriptedStart cases[] = {
        {"advances, then runs", 30000, {2, 3, 4, kRuns}, 0, 4, 3000, SERVICE_RUNNING},
        {"never advances", 5000, {1}, 0, 6, 1000, SERVICE_START_PENDING},
        {"advances twice, then stalls", 2000, {2, 3, 3}, 0, 5, 1000, SERVICE_START_PENDING},
        {"stalls across the clock's wrap", 5000, {1}, 0xFFFFFC00u, 6, 1000, SERVICE_START_PENDING},
        {"slow steps within the hint", 200000, {1, 1, 2, kRuns}, 0, 4, 10000, SERVICE_RUNNING},
        {"the status cannot be read", 2000, {1, kFails}, 0, 2, 1000, SERVICE_START_PENDING},
        // Whatever the service says, one start holds the window two minutes at most.
        {"advances for ever", 30000, {kAdvances}, 0, 40, 3000, SERVICE_START_PENDING},
        {"a wait hint of days", 0xFFFFFFFF, {1}, 0xFFFF0000u, 12, 10000, SERVICE_START_PENDING},
    };
    for (const ScriptedStart& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD now = c.startTick;
        std::vector<DWORD> pauses;
        StartWaitClock clock;
        clock.sleep = [&](DWORD ms) {
            pauses.push_back(ms);
            now += ms;
        };
        clock.ticks = [&] { return now; };
        size_t poll = 0;
        auto query = [&](SERVICE_STATUS& s) {
            long step = c.polls[std::min(poll++, c.polls.size() - 1)];
            if (step == kFails) return false;
            if (step == kAdvances) step = static_cast<long>(poll) + 1;
            s.dwCurrentState = step == kRuns ? SERVICE_RUNNING : SERVICE_START_PENDING;
            if (step != kRuns) s.dwCheckPoint = static_cast<DWORD>(step);
            return poll < 100;  // a loop that never gives up ends the test instead of hanging it
        };
        SERVICE_STATUS status{};
        status.dwCurrentState = SERVICE_START_PENDING;
        status.dwCheckPoint = 1;
        status.dwWaitHint = c.waitHint;
        WaitWhileStarting(status, query, clock);
        EXPECT_EQ(pauses.size(), c.pauses);
        for (DWORD p : pauses) EXPECT_EQ(p, c.pause);
        EXPECT_EQ(status.dwCurrentState, c.finalState);
    }
}

TEST_F(ServiceApiTest, BindingNeedsAllTwelveEntryPoints) {
    std::vector<std::string> libraries;
    for (const char* missing : kEntryPoints) {
        ServiceLoader loader;
        loader.load = [&](const char* name) {
            libraries.push_back(name);
            return LoadLibraryA(name);
        };
        loader.lookup = [missing](HMODULE module, const char* name) -> FARPROC {
            return std::string(name) == missing ? nullptr : GetProcAddress(module, name);
        };
        ServiceApi api(loader);
        EXPECT_EQ(api.BindServiceApi(), 0) << missing;
        EXPECT_FALSE(api.Bound());
        // Nothing is called through a missing entry point.
        EXPECT_EQ(api.ConnectServiceManager(), 0);
        ServiceInfo info;
        EXPECT_EQ(api.QueryServiceInfo("Schedule", info), 0);
        EXPECT_EQ(api.StopServiceManual("Schedule"), 0);
        api.StartServiceAuto("Schedule");
    }
    EXPECT_EQ(libraries, std::vector<std::string>(12, "Advapi32.DLL"));

    ServiceLoader noLibrary;
    noLibrary.load = [](const char*) -> HMODULE { return nullptr; };
    ServiceApi without(noLibrary);
    EXPECT_EQ(without.BindServiceApi(), 0);

    ServiceApi api;
    EXPECT_EQ(api.BindServiceApi(), 1);
    EXPECT_TRUE(api.Bound());
    api.Release();
    EXPECT_FALSE(api.Bound());
    EXPECT_EQ(api.ConnectServiceManager(), 0);
}

// The values Windows documents for dwCurrentState and dwStartType that a real service of the
// test does not take (those are read from one below): a pending state reads as where it
// leads, values Windows does not define as stopped or as no start type at all.
TEST_F(ServiceApiTest, PendingAndUndefinedStatesAndDriverStartTypes) {
    const std::pair<DWORD, const char*> states[] = {
        {2, "Starting"}, {5, "Starting"}, {3, "Stopping"}, {6, "Paused"},  // start, continue, stop, pause pending
        {0, "Stopped"},  {8, "Stopped"},  {0xFFFFFFFF, "Stopped"},
    };
    for (const auto& s : states) EXPECT_EQ(ServiceStateText(s.first), s.second) << "state " << s.first;
    // Boot and system start belong to drivers: both start with Windows.
    const std::pair<DWORD, const char*> types[] = {
        {0, "Automatic"}, {1, "Automatic"}, {5, nullptr}, {0xFFFFFFFF, nullptr},
    };
    for (const auto& t : types) {
        const char* text = StartTypeText(t.first);
        EXPECT_EQ(text ? std::string(text) : "(none)", t.second ? std::string(t.second) : "(none)") << t.first;
    }
}

TEST_F(ServiceApiOnWine, StartMakesAutomaticStopMakesOnDemand) {
    ServiceInfo info;
    EXPECT_EQ(api_.QueryServiceInfo(kName, info), 0);
    EXPECT_EQ(info.name, kName);
    EXPECT_EQ(info.stateText, "Stopped");
    EXPECT_EQ(info.startTypeText, "HandWork");
    EXPECT_EQ(info.command, command_);
    EXPECT_EQ(info.description, kDescription);

    // The service needs 1.5 s with advancing check points: the start waits for it.
    api_.StartServiceAuto(kName);
    EXPECT_EQ(testsvc::State(kName), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(api_.QueryServiceInfo(kName, info), 1);
    EXPECT_EQ(info.stateText, "Running");
    EXPECT_EQ(info.startTypeText, "Automatic");
    EXPECT_TRUE(reports_.empty()) << reports_.front();

    // Started again while the database lock is refused: the start type is set all the same,
    // the refused start only reported.
    ASSERT_TRUE(testsvc::SetStartType(kName, SERVICE_DEMAND_START));
    ServiceApi& denied = LockFailingWith(ERROR_ACCESS_DENIED);
    denied.StartServiceAuto(kName);
    EXPECT_EQ(testsvc::StartType(kName), static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_TRUE(Reported("LockServiceDatabase"));
    EXPECT_TRUE(Reported("Could not lock database"));
    EXPECT_TRUE(Reported("StartService"));

    ASSERT_TRUE(testsvc::Control(kName, SERVICE_CONTROL_PAUSE));
    ASSERT_TRUE(testsvc::WaitForState(kName, SERVICE_PAUSED));
    EXPECT_EQ(api_.QueryServiceInfo(kName, info), 0);
    EXPECT_EQ(info.stateText, "Paused");

    // Stopped while someone else holds the lock: on demand afterwards, without the lock.
    reports_.clear();
    ServiceApi& locked = LockFailingWith(ERROR_SERVICE_DATABASE_LOCKED);
    EXPECT_EQ(locked.StopServiceManual(kName), 1);
    EXPECT_TRUE(testsvc::WaitForState(kName, SERVICE_STOPPED));
    EXPECT_EQ(testsvc::StartType(kName), static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_FALSE(Reported("LockServiceDatabase"));
    EXPECT_TRUE(Reported("Could not lock database"));

    // A stopped service refuses the stop request and keeps its start type.
    ASSERT_TRUE(testsvc::SetStartType(kName, SERVICE_AUTO_START));
    EXPECT_EQ(api_.StopServiceManual(kName), 0);
    EXPECT_EQ(testsvc::StartType(kName), static_cast<DWORD>(SERVICE_AUTO_START));

    ASSERT_TRUE(testsvc::SetStartType(kName, SERVICE_DISABLED));
    EXPECT_EQ(api_.QueryServiceInfo(kName, info), 0);
    EXPECT_EQ(info.startTypeText, "Disabled");
}

TEST_F(ServiceApiOnWine, DescriptionsAndServicesThatAreNotInstalled) {
    const std::string longText(5000, 'x');
    const char kWithNull[] = "Annulled requests are dropped; a null session is refused.";
    const std::pair<const char*, std::string> descriptions[] = {
        {"", ""},
        {kWithNull, kWithNull},
        {longText.c_str(), longText},
    };
    for (const auto& d : descriptions) {
        ASSERT_TRUE(testsvc::SetDescription(kName, d.first));
        ServiceInfo info;
        info.description = "left over";
        api_.QueryServiceInfo(kName, info);
        EXPECT_EQ(info.description, d.second) << d.first;
    }

    // Alerter is not installed under Wine: the fields read before stay, the state reads stopped.
    ASSERT_FALSE(testsvc::Exists("Alerter"));
    ServiceInfo info{"Browser", "Running", "Automatic", "browser.exe", "Keeps a list of computers."};
    EXPECT_EQ(api_.QueryServiceInfo("Alerter", info), 0);
    EXPECT_EQ(info.name, "Browser");
    EXPECT_EQ(info.stateText, "Stopped");
    EXPECT_EQ(info.startTypeText, "Automatic");
    EXPECT_EQ(info.command, "browser.exe");
    EXPECT_EQ(info.description, "");
    EXPECT_EQ(api_.StopServiceManual("Alerter"), 0);
    api_.StartServiceAuto("Alerter");
    EXPECT_FALSE(testsvc::Exists("Alerter"));
    EXPECT_TRUE(Reported("OpenService"));
}
