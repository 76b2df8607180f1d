// A service for the service manager's tests, installed by them under a name of the
// service window's table:
//   svcmgr_test_service.exe NAME PENDING_MS   starts for PENDING_MS with advancing check
//                                             points, then runs until stopped (pause and
//                                             continue accepted)
//   svcmgr_test_service.exe NAME fail         stops at once with service exit code 42
//   svcmgr_test_service.exe NAME stuck HINT   reports START_PENDING with wait hint HINT ms
//                                             and a check point that never advances; ends
//                                             by itself after a minute (a pending service
//                                             cannot be sent a stop)
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {
const DWORD kWaitHintMs = 2000;
const DWORD kStepMs = 100;

char* gName = nullptr;
DWORD gPendingMs = 0;
bool gFail = false;
DWORD gStuckHintMs = 0;
const DWORD kStuckLifeMs = 60000;
SERVICE_STATUS_HANDLE gHandle = nullptr;
HANDLE gStop = nullptr;

void Report(DWORD state, DWORD checkPoint = 0, DWORD waitHint = 0) {
    SERVICE_STATUS s{};
    s.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    s.dwCurrentState = state;
    if (state == SERVICE_RUNNING || state == SERVICE_PAUSED)
        s.dwControlsAccepted = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE;
    if (state == SERVICE_STOPPED && gFail) {
        s.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
        s.dwServiceSpecificExitCode = 42;
    }
    s.dwCheckPoint = checkPoint;
    s.dwWaitHint = waitHint;
    SetServiceStatus(gHandle, &s);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
        Report(SERVICE_STOP_PENDING, 1, kWaitHintMs);
        SetEvent(gStop);
        return NO_ERROR;
    case SERVICE_CONTROL_PAUSE: Report(SERVICE_PAUSED); return NO_ERROR;
    case SERVICE_CONTROL_CONTINUE: Report(SERVICE_RUNNING); return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE: return NO_ERROR;
    default: return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, char**) {
    gHandle = RegisterServiceCtrlHandlerExA(gName, Handler, nullptr);
    if (!gHandle) return;
    if (gFail) {
        Report(SERVICE_STOPPED);
        return;
    }
    if (gStuckHintMs) {
        Report(SERVICE_START_PENDING, 1, gStuckHintMs);
        WaitForSingleObject(gStop, kStuckLifeMs);
        Report(SERVICE_STOPPED);
        return;
    }
    DWORD checkPoint = 1;
    for (DWORD spent = 0; spent < gPendingMs; spent += kStepMs) {
        Report(SERVICE_START_PENDING, checkPoint++, kWaitHintMs);
        Sleep(kStepMs);
    }
    Report(SERVICE_RUNNING);
    WaitForSingleObject(gStop, INFINITE);
    Report(SERVICE_STOPPED);
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    gName = argv[1];
    gFail = std::strcmp(argv[2], "fail") == 0;
    if (std::strcmp(argv[2], "stuck") == 0 && argc > 3)
        gStuckHintMs = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
    gPendingMs = gFail || gStuckHintMs ? 0 : static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
    gStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SERVICE_TABLE_ENTRYA table[] = {{gName, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
