// The fills of the service list and of the start-up items list, each in its real window run
// in this process: the fifteen services read from the service manager, and 100 start-up
// items spread over HKLM Run, HKCU Run, a paused key and Delay.cfg, with their file icons.
// Usage: bench_lists [fills per window, default 21]. It adds its items to the registry and
// Delay.cfg of the Wine prefix it runs in and removes them again.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/ResourceText.h"
#include "startup/DelayFile.h"
#include "startup/StartupEntries.h"
#include "startup/StartupManagerDialog.h"
#include "svcmgr/KnownServices.h"
#include "svcmgr/ServiceDialog.h"
#include "ui/FileIcon.h"
#include "ui/UiText.h"
#include "BenchClock.h"

namespace {
const char kRunPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kPausedPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run-";
const char kPrefix[] = "MnemoraBench";
int gFills = 21;

struct Figures {
    double first = 0, median = 0, worst = 0;
    int rows = 0;
};

// The window being measured, what refills it and the figures, for the timer below.
struct Measured {
    Dialog* dialog = nullptr;
    std::function<void()> fill;
    int list = 0;
    double opened = 0;
    Figures figures;
} gMeasured;

// A timer's message comes only when nothing else is queued: once the window is shown and
// drawn, with the icons of the rows it shows. Then `gFills` refills, each with the paint of
// the rows it shows, and the window closes.
void CALLBACK MeasureFills(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    Measured& m = gMeasured;
    HWND list = m.dialog->Item(m.list);
    UpdateWindow(list);
    m.figures.first = (Now() - m.opened) * 1000.0;
    std::vector<double> ms;
    for (int i = 0; i < gFills; ++i) {
        double t0 = Now();
        m.fill();
        UpdateWindow(list);
        ms.push_back((Now() - t0) * 1000.0);
    }
    std::sort(ms.begin(), ms.end());
    m.figures.median = ms[ms.size() / 2];
    m.figures.worst = ms.back();
    m.figures.rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    PostMessageA(m.dialog->Handle(), WM_COMMAND, IDCANCEL, 0);
}

// The window of `dialog` opened (timed from the call that creates it until it is drawn) and
// refilled by `fill`.
Figures TimeFills(Dialog& dialog, const std::function<void()>& fill, int listId) {
    gMeasured.dialog = &dialog;
    gMeasured.fill = fill;
    gMeasured.list = listId;
    gMeasured.figures = Figures();
    gMeasured.opened = Now();
    SetTimer(nullptr, 0, 1, MeasureFills);
    dialog.RunModal();
    return gMeasured.figures;
}

void Print(const char* what, const Figures& f) {
    std::printf("  %-40s %4d rows  opened %7.2f ms  refill median %7.2f ms  worst %7.2f ms\n", what, f.rows, f.first,
                f.median, f.worst);
}

std::string Name(int k) { return kPrefix + std::to_string(k); }

// Commands of several kinds: a real program, a quoted path with arguments, a missing file.
std::string Command(int k, const std::string& self) {
    switch (k % 4) {
    case 0: return self;
    case 1: return "\"" + self + "\" /argument " + std::to_string(k);
    case 2: return "C:\\windows\\system32\\notepad.exe";
    default: return "C:\\Missing\\program" + std::to_string(k) + ".exe -x";
    }
}

void SetValue(HKEY root, const char* path, const std::string& name, const std::string& data) {
    HKEY key;
    if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
}

void DeleteValue(HKEY root, const char* path, const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

// 100 items: 40 in HKLM Run, 30 in HKCU Run, 15 paused in HKLM Run-, 15 in Delay.cfg.
struct Items {
    explicit Items(const std::string& self) : self_(self) {
        for (int k = 0; k < 100; ++k) {
            const std::string name = Name(k), command = Command(k, self);
            if (k < 40) SetValue(HKEY_LOCAL_MACHINE, kRunPath, name, command);
            else if (k < 70) SetValue(HKEY_CURRENT_USER, kRunPath, name, command);
            else if (k < 85) SetValue(HKEY_LOCAL_MACHINE, kPausedPath, name, command);
            else AppendDelayedItem(DelayFilePath(), Delayed(k));
        }
    }
    ~Items() {
        for (int k = 0; k < 100; ++k) {
            const std::string name = Name(k);
            if (k < 40) DeleteValue(HKEY_LOCAL_MACHINE, kRunPath, name);
            else if (k < 70) DeleteValue(HKEY_CURRENT_USER, kRunPath, name);
            else if (k < 85) DeleteValue(HKEY_LOCAL_MACHINE, kPausedPath, name);
            else RemoveDelayedItem(DelayFilePath(), Delayed(k));
        }
    }
    StartupItem Delayed(int k) const {
        StartupItem item;
        item.Name = Name(k);
        item.Command = Command(k, self_);
        item.Source = SourceDelayed;
        item.DelayMinutes = k % 7;
        return item;
    }
    std::string self_;
};
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) gFills = std::max(3, std::atoi(argv[1]));
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    SetUiTextSource(&Lang);
    SetUiTextBatchHook(&LanguageBatch);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::printf("List fills in their windows under Wine, %d-bit, %d fills each (aim: under 50 ms)\n",
                static_cast<int>(sizeof(void*) * 8), gFills);

    ServiceDialog services;
    Figures fills = TimeFills(services, [&] { services.FillServiceList(); }, IDC_SERVICE_LIST);
    Print("service list (15 services)", fills);
    // The floor of a refill: the service manager calls it must make, made straight.
    std::vector<double> calls;
    for (int round = 0; round < gFills; ++round) {
        double t0 = Now();
        SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        for (const KnownService& known : KnownServices) {
            SC_HANDLE service = OpenServiceA(manager, known.serviceName, SERVICE_ALL_ACCESS);
            if (!service) continue;
            std::vector<BYTE> buffer(8192);
            DWORD needed = 0;
            SERVICE_STATUS status;
            QueryServiceConfigA(service, reinterpret_cast<QUERY_SERVICE_CONFIGA*>(buffer.data()), 8192, &needed);
            QueryServiceStatus(service, &status);
            QueryServiceConfig2A(service, SERVICE_CONFIG_DESCRIPTION, buffer.data(), 8192, &needed);
            CloseServiceHandle(service);
        }
        CloseServiceHandle(manager);
        calls.push_back((Now() - t0) * 1000.0);
    }
    std::sort(calls.begin(), calls.end());
    double floor = calls[calls.size() / 2];
    std::printf("  %-40s            median %5.2f ms; the window's own share of a refill: %.0f %%\n",
                "of it: the service manager's calls", floor,
                fills.median > 0 ? 100.0 * (fills.median - floor) / fills.median : 0.0);

    const size_t before = ReadStartupItems().size();
    {
        Items items(self);
        std::printf("  start-up items: %u of this machine, %u added\n", static_cast<unsigned>(before),
                    static_cast<unsigned>(ReadStartupItems().size() - before));
        StartupManagerDialog startup;
        Print("start-up items list (with file icons)",
              TimeFills(startup, [&] { startup.FillStartupList(); }, IDC_AUTORUN_LIST));
        double t0 = Now();
        const int reads = 20;
        for (int i = 0; i < reads; ++i) ReadStartupItems();
        std::printf("  %-40s            mean %7.2f ms\n", "of it: reading the seven places",
                    (Now() - t0) * 1000.0 / reads);
    }
    // What one file icon costs, by kind of command.
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 64, 64);
    for (int kind = 0; kind < 4; ++kind) {
        const std::string command = Command(kind, self);
        double t0 = Now();
        const int icons = 20;
        for (int i = 0; i < icons; ++i) AddFileIcon(CommandToIconPath(command), images, IDI_PROGRAM_FALLBACK);
        std::printf("  one file icon: %-60.60s %7.2f ms\n", command.c_str(), (Now() - t0) * 1000.0 / icons);
    }
    ImageList_Destroy(images);
    return 0;
}
