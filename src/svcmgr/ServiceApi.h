// The service control manager through entry points of Advapi32 looked up at run time, so
// the program still loads on the 9x line, where the library lacks them.
#pragma once
#include <windows.h>
#include <winsvc.h>

#include <functional>
#include <string>
#include <vector>

#include "svcmgr/StartWait.h"
#include "ui/Handles.h"

// What the service window shows of one service.
struct ServiceInfo {
    std::string name;
    std::string stateText;      // language text of the current state
    std::string startTypeText;  // "Automatic", "HandWork" or "Disabled"
    std::string command;        // the executable's command line
    std::string description;    // empty when the service has none
};

// How the entry points are found: the library loaded, then each name looked up; either step
// can be replaced.
struct ServiceLoader {
    std::function<HMODULE(const char* name)> load = [](const char* name) { return LoadLibraryA(name); };
    std::function<FARPROC(HMODULE module, const char* name)> lookup = [](HMODULE module, const char* name) {
        return GetProcAddress(module, name);
    };
};

// The diagnostic sink: failures of this layer are never shown to the user; the text goes
// to the debugger output only.
void ReportServiceError(const char* text);

// The language text for a service state (dwCurrentState); unknown states read as stopped.
std::string ServiceStateText(DWORD state);
// The text for a start type (dwStartType), or null for a type that has none.
const char* StartTypeText(DWORD startType);

class ServiceApi {
public:
    explicit ServiceApi(ServiceLoader loader = ServiceLoader(), StartWaitClock clock = StartWaitClock());
    ~ServiceApi();
    ServiceApi(const ServiceApi&) = delete;
    ServiceApi& operator=(const ServiceApi&) = delete;

    // Loads "Advapi32.DLL" and looks up the twelve entry points; 1 when all were found, else 0.
    int BindServiceApi();
    // Closes the manager connection and frees the library.
    void Release();
    // Opens the local service control manager with full access (closing an earlier
    // connection), or for reading only where full access is refused (a user without
    // administrator rights: the states still show); 1 when connected, else 0.
    int ConnectServiceManager();
    // Reads state, start type, command and description of service `name` into `info`;
    // 1 when the service is running. When the service cannot be read, the state text reads
    // stopped, the description is empty and the other fields keep what they held.
    int QueryServiceInfo(const char* name, ServiceInfo& info);
    // Requests the service to stop and makes it start on demand only; 1 when the stop
    // request was accepted (also when the start type could not be changed). Does not wait.
    int StopServiceManual(const char* name);
    // Makes the service start automatically, starts it and waits while it is starting.
    void StartServiceAuto(const char* name);

    // Where failures go (ReportServiceError unless replaced).
    void SetErrorSink(std::function<void(const char*)> sink) { sink_ = std::move(sink); }
    // True after a bind that found all twelve entry points.
    bool Bound() const { return bound_; }
    // True when Windows refused a change (access denied) since the last call; clears it.
    bool TakeRefusal() {
        bool refused = refused_;
        refused_ = false;
        return refused;
    }

private:
    // A service or manager handle, closed through the bound entry point.
    class Handle {
    public:
        Handle(const ServiceApi& api, SC_HANDLE h) : api_(api), h_(h) {}
        Handle(const Handle&) = delete;
        Handle& operator=(const Handle&) = delete;
        ~Handle() { reset(nullptr); }
        SC_HANDLE get() const { return h_; }
        void reset(SC_HANDLE h) {
            if (h_) api_.closeServiceHandle_(h_);
            h_ = h;
        }
        explicit operator bool() const { return h_ != nullptr; }

    private:
        const ServiceApi& api_;
        SC_HANDLE h_;
    };

    SC_HANDLE Open(const char* name, DWORD access) const;
    // Open for a change: a refusal is remembered for TakeRefusal.
    SC_HANDLE OpenToChange(const char* name, DWORD access) const;
    SC_LOCK LockDatabase() const;
    void UnlockDatabase(SC_LOCK lock) const;
    bool SetStartType(const char* name, DWORD startType) const;
    bool ReadConfig(SC_HANDLE service, std::vector<BYTE>& buffer) const;
    bool ReadDescription(SC_HANDLE service, std::string& description) const;
    void Report(const char* text) const { sink_(text); }

    ServiceLoader loader_;
    StartWaitClock clock_;
    std::function<void(const char*)> sink_ = ReportServiceError;

    UniqueModule module_;  // before the manager: its close is an entry point of the module
    bool bound_ = false;
    decltype(&::OpenSCManagerA) openSCManager_ = nullptr;
    decltype(&::OpenServiceA) openService_ = nullptr;
    decltype(&::QueryServiceConfigA) queryServiceConfig_ = nullptr;
    decltype(&::QueryServiceConfig2A) queryServiceConfig2_ = nullptr;
    decltype(&::QueryServiceStatus) queryServiceStatus_ = nullptr;
    decltype(&::StartServiceA) startService_ = nullptr;
    decltype(&::ControlService) controlService_ = nullptr;
    decltype(&::ChangeServiceConfigA) changeServiceConfig_ = nullptr;
    decltype(&::QueryServiceLockStatusA) queryServiceLockStatus_ = nullptr;
    decltype(&::CloseServiceHandle) closeServiceHandle_ = nullptr;
    decltype(&::LockServiceDatabase) lockServiceDatabase_ = nullptr;
    decltype(&::UnlockServiceDatabase) unlockServiceDatabase_ = nullptr;
    Handle manager_{*this, nullptr};
    mutable bool refused_ = false;
};
