// The process manager: the running processes with their memory use and
// energy-saving state; ends, refreshes and trims them, and starts and stops the monitor.
#pragma once
#include "procmgr/ProcessList.h"
#include "procmgr/ProcessMonitor.h"
#include "procmgr/ProcessRows.h"
#include "resource.h"
#include "ui/Dialog.h"
#include "ui/FileIcon.h"
#include "ui/ListView.h"

class ProcessDialog : public DialogImpl<ProcessDialog> {
public:
    static constexpr int kTemplate = IDD_PROCESS_DIALOG;
    static constexpr UINT kAutoRefreshTimer = 11;
    static constexpr UINT kAutoRefreshMs = 5000;
    static const Route kRoutes[];

    // Reads the stored AlwaysUnloadDLL and AutoRefresh states. `monitor` is the program's
    // activity monitor, which the window starts, stops and shows, and which outlives it.
    explicit ProcessDialog(ProcessMonitor& monitor);

    // Rebuilds the rows from a fresh enumeration; says so when it failed.
    void FillProcessList();

private:
    BOOL OnInitDialog() override;
    void OnCancel() override;

    void OnListClick(DialogMessage& m);
    void OnRefresh(DialogMessage& m);
    void OnTerminate(DialogMessage& m);
    void OnStartMonitor(DialogMessage& m);
    void OnStopMonitor(DialogMessage& m);
    void OnEnergySave(DialogMessage& m);
    void OnAutoRefreshSwitch(DialogMessage& m);
    void OnAutoRefresh(DialogMessage& m);
    void OnIconRequest(DialogMessage& m);

    // Row of the chosen process: the first row with the focus, -1 when none.
    int ChosenRow() const;
    int RowOf(DWORD processId) const;

    ProcessMonitor& monitor_;
    ListView view_;
    FileIconCache icons_;
    ProcessList processes_;             // entry k is row k
    std::vector<ProcessFacts> facts_;  // what row k was made from
    bool alwaysUnloadDll_ = false;
    bool autoRefresh_ = false;
};
