// Installing, reading and removing the test service (svcmgr_test_service.exe) under
// Wine's service control manager, with the calls linked directly.
#pragma once
#include <windows.h>
#include <winsvc.h>

#include <string>
#include <vector>

#include "driver/TestDriver.h"

namespace testsvc {

inline std::string ServiceExe() { return std::string(MNEMORA_BINARY_DIR) + "\\tools\\svcmgr_test_service.exe"; }

// A service or manager handle of the test.
class Sc {
public:
    explicit Sc(SC_HANDLE h = nullptr) : h_(h) {}
    Sc(const Sc&) = delete;
    Sc& operator=(const Sc&) = delete;
    ~Sc() {
        if (h_) CloseServiceHandle(h_);
    }
    SC_HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    SC_HANDLE h_;
};

inline SC_HANDLE Manager() { return OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS); }

inline bool Exists(const char* name) {
    Sc scm(Manager());
    Sc service(OpenServiceA(scm.get(), name, SERVICE_QUERY_STATUS));
    return static_cast<bool>(service);
}

// The current state, 0 when the service cannot be read.
inline DWORD State(const char* name) {
    Sc scm(Manager());
    Sc service(OpenServiceA(scm.get(), name, SERVICE_QUERY_STATUS));
    SERVICE_STATUS s{};
    return service && QueryServiceStatus(service.get(), &s) ? s.dwCurrentState : 0;
}

// The start type, or 0xFFFFFFFF when the service cannot be read.
inline DWORD StartType(const char* name) {
    Sc scm(Manager());
    Sc service(OpenServiceA(scm.get(), name, SERVICE_QUERY_CONFIG));
    std::vector<BYTE> buffer(8192);
    DWORD needed = 0;
    if (!service || !QueryServiceConfigA(service.get(), reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()),
                                         static_cast<DWORD>(buffer.size()), &needed))
        return 0xFFFFFFFF;
    return reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data())->dwStartType;
}

inline bool SetStartType(const char* name, DWORD startType) {
    Sc scm(Manager());
    Sc service(OpenServiceA(scm.get(), name, SERVICE_CHANGE_CONFIG));
    return service && ChangeServiceConfigA(service.get(), SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr,
                                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

inline bool SetDescription(const char* name, const char* text) {
    Sc scm(Manager());
    Sc service(OpenServiceA(scm.get(), name, SERVICE_CHANGE_CONFIG));
    SERVICE_DESCRIPTIONA d{const_cast<char*>(text)};
    return service && ChangeServiceConfig2A(service.get(), SERVICE_CONFIG_DESCRIPTION, &d);
}

inline bool Control(const char* name, DWORD control) {
    Sc scm(Manager());
    Sc service(OpenServiceA(scm.get(), name, SERVICE_STOP | SERVICE_PAUSE_CONTINUE));
    SERVICE_STATUS s{};
    return service && ControlService(service.get(), control, &s);
}

inline bool WaitForState(const char* name, DWORD state, DWORD timeoutMs = 10000) {
    return driver::WaitUntil([&] { return State(name) == state; }, timeoutMs);
}

// Removes a copy of the test service installed under `name`; a service of that name
// that is not the test service is left alone. Deletion completes when its process ends.
inline bool Remove(const char* name) {
    {
        Sc scm(Manager());
        Sc service(OpenServiceA(scm.get(), name, SERVICE_ALL_ACCESS));
        if (!service) return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
        std::vector<BYTE> buffer(8192);
        DWORD needed = 0;
        auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data());
        if (!QueryServiceConfigA(service.get(), config, static_cast<DWORD>(buffer.size()), &needed) ||
            std::string(config->lpBinaryPathName).find("svcmgr_test_service") == std::string::npos)
            return false;
        SERVICE_STATUS s{};
        ControlService(service.get(), SERVICE_CONTROL_STOP, &s);
        DeleteService(service.get());
    }
    return driver::WaitUntil([&] { return !Exists(name); }, 15000);
}

// Installs the test service under `name` (removing an earlier copy first), not started.
// `mode` is the service's argument: a start-up time in ms, or "fail".
inline std::string Install(const char* name, const char* displayName, const std::string& mode, DWORD startType,
                           const char* description) {
    if (!Remove(name)) return std::string();
    std::string command = "\"" + ServiceExe() + "\" " + name + " " + mode;
    Sc scm(Manager());
    Sc service(CreateServiceA(scm.get(), name, displayName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, startType,
                              SERVICE_ERROR_IGNORE, command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) return std::string();
    if (description) {
        SERVICE_DESCRIPTIONA d{const_cast<char*>(description)};
        ChangeServiceConfig2A(service.get(), SERVICE_CONFIG_DESCRIPTION, &d);
    }
    return command;
}

}  // namespace testsvc
