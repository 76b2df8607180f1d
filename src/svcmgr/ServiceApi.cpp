#include "svcmgr/ServiceApi.h"

#include <cstdio>
#include <type_traits>
#include <vector>

#include "app/ResourceText.h"

namespace {
const char kLibrary[] = "Advapi32.DLL";

// Reads a variable-size record with a query that reports the size it needs.
template <class Query>
bool ReadGrowing(std::vector<BYTE>& buffer, Query query) {
    DWORD needed = 0;
    if (query(buffer.data(), static_cast<DWORD>(buffer.size()), &needed)) return true;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) return false;
    buffer.assign(needed, 0);
    return query(buffer.data(), static_cast<DWORD>(buffer.size()), &needed);
}

std::string NotStartedText(const SERVICE_STATUS& s) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "\nService not started. \n  Current State: %lu\n  Exit Code: %lu\n"
                  "  Service Specific Exit Code: %lu\n  Check Point: %lu\n  Wait Hint: %lu\n",
                  static_cast<unsigned long>(s.dwCurrentState), static_cast<unsigned long>(s.dwWin32ExitCode),
                  static_cast<unsigned long>(s.dwServiceSpecificExitCode), static_cast<unsigned long>(s.dwCheckPoint),
                  static_cast<unsigned long>(s.dwWaitHint));
    return text;
}
}  // namespace

void ReportServiceError(const char* text) {
    std::string line = std::string("Mnemora service manager: ") + text + "\n";
    OutputDebugStringA(line.c_str());
}

std::string ServiceStateText(DWORD state) {
    switch (state) {
    case SERVICE_RUNNING: return Lang("strServiceStatus1");
    case SERVICE_STOP_PENDING: return Lang("strServiceStatus3");
    case SERVICE_START_PENDING:
    case SERVICE_CONTINUE_PENDING: return Lang("strServiceStatus4");
    case SERVICE_PAUSE_PENDING:
    case SERVICE_PAUSED: return Lang("strServiceStatus5");
    default: return Lang("strServiceStatus2");
    }
}

const char* StartTypeText(DWORD startType) {
    switch (startType) {
    case SERVICE_BOOT_START:
    case SERVICE_SYSTEM_START:
    case SERVICE_AUTO_START: return "Automatic";
    case SERVICE_DEMAND_START: return "HandWork";
    case SERVICE_DISABLED: return "Disabled";
    default: return nullptr;
    }
}

ServiceApi::ServiceApi(ServiceLoader loader, StartWaitClock clock)
    : loader_(std::move(loader)), clock_(std::move(clock)) {}

ServiceApi::~ServiceApi() { Release(); }

int ServiceApi::BindServiceApi() {
    Release();
    module_.reset(loader_.load(kLibrary));
    if (!module_) return 0;
    auto bind = [this](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
            reinterpret_cast<void*>(loader_.lookup(module_.get(), name)));
        return entry != nullptr;
    };
    bool all = true;
    all &= bind(openSCManager_, "OpenSCManagerA");
    all &= bind(closeServiceHandle_, "CloseServiceHandle");
    all &= bind(lockServiceDatabase_, "LockServiceDatabase");
    all &= bind(unlockServiceDatabase_, "UnlockServiceDatabase");
    all &= bind(queryServiceLockStatus_, "QueryServiceLockStatusA");
    all &= bind(openService_, "OpenServiceA");
    all &= bind(queryServiceConfig_, "QueryServiceConfigA");
    all &= bind(queryServiceConfig2_, "QueryServiceConfig2A");
    all &= bind(queryServiceStatus_, "QueryServiceStatus");
    all &= bind(startService_, "StartServiceA");
    all &= bind(controlService_, "ControlService");
    all &= bind(changeServiceConfig_, "ChangeServiceConfigA");
    bound_ = all;
    return all ? 1 : 0;
}

void ServiceApi::Release() {
    manager_.reset(nullptr);
    bound_ = false;
    module_.reset();
}

int ServiceApi::ConnectServiceManager() {
    if (!bound_) return 0;
    // Each refresh connects anew; the earlier connection would otherwise stay open.
    manager_.reset(nullptr);
    manager_.reset(openSCManager_(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    if (!manager_ && GetLastError() == ERROR_ACCESS_DENIED)
        manager_.reset(openSCManager_(nullptr, nullptr,
                                      SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS));
    if (!manager_) {
        Report("OpenSCManager");
        return 0;
    }
    return 1;
}

SC_HANDLE ServiceApi::Open(const char* name, DWORD access) const {
    return bound_ && manager_ ? openService_(manager_.get(), name, access) : nullptr;
}

SC_HANDLE ServiceApi::OpenToChange(const char* name, DWORD access) const {
    SC_HANDLE service = Open(name, access);
    if (!service && GetLastError() == ERROR_ACCESS_DENIED) refused_ = true;
    return service;
}

bool ServiceApi::ReadConfig(SC_HANDLE service, std::vector<BYTE>& buffer) const {
    buffer.assign(4096, 0);
    return ReadGrowing(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
        return queryServiceConfig_(service, reinterpret_cast<LPQUERY_SERVICE_CONFIGA>(data), size, needed) != FALSE;
    });
}

bool ServiceApi::ReadDescription(SC_HANDLE service, std::string& description) const {
    std::vector<BYTE> buffer(4096, 0);
    bool read = ReadGrowing(buffer, [&](BYTE* data, DWORD size, DWORD* needed) {
        return queryServiceConfig2_(service, SERVICE_CONFIG_DESCRIPTION, data, size, needed) != FALSE;
    });
    if (!read) return false;
    // A service without a description has a null text.
    const char* text = reinterpret_cast<const SERVICE_DESCRIPTIONA*>(buffer.data())->lpDescription;
    description = text ? text : "";
    return true;
}

int ServiceApi::QueryServiceInfo(const char* name, ServiceInfo& info) {
    info.description.clear();
    info.stateText = ServiceStateText(SERVICE_STOPPED);
    Handle service(*this, Open(name, SERVICE_ALL_ACCESS));
    // Reading needs no more than this; a user without administrator rights gets no more.
    if (!service && GetLastError() == ERROR_ACCESS_DENIED)
        service.reset(Open(name, SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS));
    if (!service) {
        Report("OpenService Error");
        return 0;
    }
    std::vector<BYTE> config;
    if (!ReadConfig(service.get(), config)) {
        Report("QueryServiceConfig Error");
        return 0;
    }
    SERVICE_STATUS status{};
    if (!queryServiceStatus_(service.get(), &status)) {
        Report("QueryServiceStatus START Error");
        return 0;
    }
    const auto* c = reinterpret_cast<const QUERY_SERVICE_CONFIGA*>(config.data());
    info.name = name;
    info.stateText = ServiceStateText(status.dwCurrentState);
    if (const char* type = StartTypeText(c->dwStartType)) info.startTypeText = type;
    info.command = c->lpBinaryPathName ? c->lpBinaryPathName : "";
    if (!ReadDescription(service.get(), info.description)) Report("QueryServiceConfig2 Error");
    return status.dwCurrentState == SERVICE_RUNNING ? 1 : 0;
}

SC_LOCK ServiceApi::LockDatabase() const {
    if (SC_LOCK lock = lockServiceDatabase_(manager_.get())) return lock;
    if (GetLastError() != ERROR_SERVICE_DATABASE_LOCKED) Report("LockServiceDatabase");
    std::vector<BYTE> status(sizeof(QUERY_SERVICE_LOCK_STATUSA) + 256, 0);
    DWORD needed = 0;
    if (!queryServiceLockStatus_(manager_.get(), reinterpret_cast<LPQUERY_SERVICE_LOCK_STATUSA>(status.data()),
                                 static_cast<DWORD>(status.size()), &needed))
        Report("QueryServiceLockStatus");
    // The change goes ahead without the lock.
    Report("Could not lock database");
    return nullptr;
}

void ServiceApi::UnlockDatabase(SC_LOCK lock) const {
    if (lock) unlockServiceDatabase_(lock);
}

bool ServiceApi::SetStartType(const char* name, DWORD startType) const {
    SC_LOCK lock = LockDatabase();
    bool changed = false;
    {
        Handle service(*this, OpenToChange(name, SERVICE_CHANGE_CONFIG));
        if (!service)
            Report("OpenService");
        else if (!changeServiceConfig_(service.get(), SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, nullptr))
            Report("ChangeServiceConfig");
        else
            changed = true;
    }
    UnlockDatabase(lock);
    return changed;
}

int ServiceApi::StopServiceManual(const char* name) {
    if (!bound_) return 0;
    Handle service(*this, OpenToChange(name, SERVICE_STOP));
    if (!service) {
        Report("OpenService STOP");
        return 0;
    }
    SERVICE_STATUS status{};
    if (!controlService_(service.get(), SERVICE_CONTROL_STOP, &status)) {
        Report("ControlService STOP");
        return 0;
    }
    SetStartType(name, SERVICE_DEMAND_START);
    return 1;
}

void ServiceApi::StartServiceAuto(const char* name) {
    if (!bound_) return;
    SetStartType(name, SERVICE_AUTO_START);
    Handle service(*this, OpenToChange(name, SERVICE_ALL_ACCESS));
    if (!service) {
        Report("OpenService");
        return;
    }
    if (!startService_(service.get(), 0, nullptr)) {
        Report("StartService");
        return;
    }
    SERVICE_STATUS status{};
    if (!queryServiceStatus_(service.get(), &status)) {
        Report("QueryServiceStatus START Error");
        return;
    }
    WaitWhileStarting(
        status, [&](SERVICE_STATUS& s) { return queryServiceStatus_(service.get(), &s) != FALSE; }, clock_);
    if (status.dwCurrentState != SERVICE_RUNNING) Report(NotStartedText(status).c_str());
}
