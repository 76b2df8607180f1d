#include "procmgr/ProcessDialog.h"

#include <string>
#include <vector>

#include "app/Application.h"
#include "app/RegistryKey.h"
#include "app/SettingValues.h"
#include "app/ResourceText.h"
#include "probes/OsVersion.h"
#include "procmgr/ProcessRows.h"
#include "ui/MessageBox.h"
#include "ui/WaitCursor.h"

namespace {
const char kExplorerKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char kAlwaysUnloadDll[] = "AlwaysUnloadDLL";

const Caption kCaptions[] = {
    {Dialog::kWindowTitle, "IDD_PROCESS_DIALOG"},
    CAPTION(IDC_DLL_CHECK), CAPTION(IDC_REFRESHPROCESS_BT), CAPTION(IDC_KILLPROCESS_BT),
    {IDCANCEL, "IDCANCELINPRO"},
    CAPTION(IDC_CHECKAUTOREFRESH), CAPTION(ID_START_MON), CAPTION(IDC_ABORT_MON), CAPTION(IDC_STATICMGSR),
};

// The energy-saving command's fixed texts are Chinese whatever the language file says;
// they go through the wide message box so they read right on every system code page.
const wchar_t kNothingChosen[] = L"您尚未选中哪个程序进入强制节能状态!";
const wchar_t kNothingChosenCaption[] = L"错误";
const wchar_t kSavedCaption[] = L"成功";
const wchar_t kCannotSave[] = L"系统关键进程,无法进入节能状态!";
const wchar_t kCannotSaveCaption[] = L"失败";

// Wide texts are built in a vector: std::wstring would link a second string class (35 KB).
using WideText = std::vector<wchar_t>;
void Append(WideText& out, const wchar_t* text) {
    while (*text) out.push_back(*text++);
}
void Append(WideText& out, const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (n <= 1) return;
    size_t at = out.size();
    out.resize(at + static_cast<size_t>(n));
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[at], n);
    out.pop_back();  // the terminator
}

// "1" somewhere in the stored text means on, whatever else it holds.
bool ReadAlwaysUnloadDll() {
    RegistryKey key;
    std::string text;
    if (key.Open(HKEY_LOCAL_MACHINE, kExplorerKey, KEY_ALL_ACCESS) != ERROR_SUCCESS) return false;
    if (key.QueryString(text, kAlwaysUnloadDll) != ERROR_SUCCESS) return false;
    return text.find('1') != std::string::npos;
}

// Failures (no administrator rights) are ignored: the box simply did not take effect.
void WriteAlwaysUnloadDll(bool on) {
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kExplorerKey, KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
    if (on)
        key.SetString("1", kAlwaysUnloadDll);
    else
        key.DeleteValue(kAlwaysUnloadDll);
}
}  // namespace

const ProcessDialog::Route ProcessDialog::kRoutes[] = {
    {WM_NOTIFY, IDC_PROCESS_LIST, NM_CLICK, &ProcessDialog::OnListClick},
    {WM_NOTIFY, IDC_PROCESS_LIST, LVN_GETDISPINFOA, &ProcessDialog::OnIconRequest},
    {WM_NOTIFY, IDC_PROCESS_LIST, LVN_GETDISPINFOW, &ProcessDialog::OnIconRequest},
    {WM_COMMAND, IDC_REFRESHPROCESS_BT, BN_CLICKED, &ProcessDialog::OnRefresh},
    {WM_COMMAND, IDC_KILLPROCESS_BT, BN_CLICKED, &ProcessDialog::OnTerminate},
    {WM_COMMAND, ID_START_MON, BN_CLICKED, &ProcessDialog::OnStartMonitor},
    {WM_COMMAND, IDC_ABORT_MON, BN_CLICKED, &ProcessDialog::OnStopMonitor},
    {WM_COMMAND, IDC_ENERGYSAVE_BT, BN_CLICKED, &ProcessDialog::OnEnergySave},
    {WM_COMMAND, IDC_CHECKAUTOREFRESH, BN_CLICKED, &ProcessDialog::OnAutoRefreshSwitch},
    {WM_TIMER, kAutoRefreshTimer, 0, &ProcessDialog::OnAutoRefresh},
    {},
};

ProcessDialog::ProcessDialog(ProcessMonitor& monitor) : DialogImpl(IDD_PROCESS_DIALOG), monitor_(monitor) {
    alwaysUnloadDll_ = ReadAlwaysUnloadDll();
    autoRefresh_ = StoredSwitchOn(kAutoRefresh);
    BindCheck(IDC_DLL_CHECK, &alwaysUnloadDll_);
    BindCheck(IDC_CHECKAUTOREFRESH, &autoRefresh_);
    UseRoundedFrame();
}

BOOL ProcessDialog::OnInitDialog() {
    SetCaptions(kCaptions);
    icons_.Attach(view_.SetUpToolList(Item(IDC_PROCESS_LIST), kProcessColumns), IDI_PROGRAM_FALLBACK);
    FillProcessList();
    EnableItem(IDC_KILLPROCESS_BT, false);
    if (monitor_.Running()) EnableItem(ID_START_MON, false);
    if (autoRefresh_) SetTimer(hwnd_, kAutoRefreshTimer, kAutoRefreshMs, nullptr);
    return TRUE;
}

void ProcessDialog::FillProcessList() {
    // The focus follows its process by id (the row's data), or is dropped with it.
    // Not from English.ini: a diagnostic of failed system calls, the same in every language.
    if (!::FillProcessList(view_, processes_, monitor_, &facts_))
        ShowMessageText(hwnd_, "Error Get Processes!", kMainWindowTitle);
}

int ProcessDialog::ChosenRow() const {
    int row = view_.FocusedRow();
    return row >= 0 && static_cast<size_t>(row) < processes_.ProcessIds.size() ? row : -1;
}

int ProcessDialog::RowOf(DWORD processId) const {
    for (size_t k = 0; k < processes_.ProcessIds.size(); ++k)
        if (processes_.ProcessIds[k] == processId) return static_cast<int>(k);
    return -1;
}

void ProcessDialog::OnListClick(DialogMessage&) {
    if (ChosenRow() >= 0) EnableItem(IDC_KILLPROCESS_BT, true);
}

void ProcessDialog::OnIconRequest(DialogMessage& m) { AnswerIconRequest(m.lParam, processes_, icons_); }

void ProcessDialog::OnRefresh(DialogMessage&) {
    FillProcessList();
    EnableItem(IDC_KILLPROCESS_BT, false);
}

void ProcessDialog::OnTerminate(DialogMessage&) {
    WaitCursor wait;
    int row = ChosenRow();
    if (row < 0) return;
    switch (TerminateRefusalFor(facts_[row], IsWindows9x())) {
    case TerminateRefusal::Ourselves: ShowMessage(hwnd_, "strKillMeMessage", kMainWindowTitle); break;
    case TerminateRefusal::SystemProcess: ShowMessage(hwnd_, "strKillSysServiceMessage", kMainWindowTitle); break;
    case TerminateRefusal::None: {
        bool ended = KillProcess(processes_.ProcessIds[row]) != 0;
        FillProcessList();
        // The refreshed list would show it still there, with no word of why.
        if (!ended) ShowMessage(hwnd_, "strKillFailed", kMainWindowTitle);
        break;
    }
    }
    EnableItem(IDC_KILLPROCESS_BT, false);
}

void ProcessDialog::OnEnergySave(DialogMessage&) {
    WaitCursor wait;
    int row = ChosenRow();
    if (view_.Count() == 0 || row < 0) {
        MessageBoxW(hwnd_, kNothingChosen, kNothingChosenCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    DWORD id = processes_.ProcessIds[row];
    std::string name = view_.Text(row, 0);
    std::string before = view_.Text(row, 2);
    int trimmed = TrimWorkingSet(id);
    FillProcessList();
    std::string after = view_.Text(RowOf(id), 2);
    if (!trimmed) {
        MessageBoxW(hwnd_, kCannotSave, kCannotSaveCaption, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    WideText text;
    Append(text, L"您指定程序已经进入节能状态!\n\n程序名称:");
    Append(text, name);
    Append(text, L"\n\n节能前占用内存:");
    Append(text, before);
    Append(text, L" \n\n节能后占用内存:");
    Append(text, after);
    text.push_back(L'\0');
    MessageBoxW(hwnd_, text.data(), kSavedCaption, MB_OK | MB_ICONEXCLAMATION);
}

void ProcessDialog::OnStartMonitor(DialogMessage&) {
    EnableItem(ID_START_MON, false);
    EnableItem(IDC_ABORT_MON, true);
    monitor_.Start();
    ShowMessage(hwnd_, "strMonHasStart", kMainWindowTitle, MB_ICONEXCLAMATION);
}

void ProcessDialog::OnStopMonitor(DialogMessage&) {
    EnableItem(ID_START_MON, true);
    EnableItem(IDC_ABORT_MON, false);
    monitor_.Stop();
    ShowMessage(hwnd_, "IDC_MONHASSTOP", kMainWindowTitle, MB_ICONEXCLAMATION);
}

void ProcessDialog::OnAutoRefreshSwitch(DialogMessage&) {
    ReadControls();
    if (autoRefresh_)
        SetTimer(hwnd_, kAutoRefreshTimer, kAutoRefreshMs, nullptr);
    else
        KillTimer(hwnd_, kAutoRefreshTimer);
    WriteSettingDword(kAutoRefresh.name, autoRefresh_ ? 1 : 0);
}

void ProcessDialog::OnAutoRefresh(DialogMessage&) {
    // Stopped during the fill, so the next one comes a whole period after this one ended.
    KillTimer(hwnd_, kAutoRefreshTimer);
    FillProcessList();
    SetTimer(hwnd_, kAutoRefreshTimer, kAutoRefreshMs, nullptr);
}

void ProcessDialog::OnCancel() {
    ReadControls();
    KillTimer(hwnd_, kAutoRefreshTimer);
    WriteAlwaysUnloadDll(alwaysUnloadDll_);
    EndDialog(IDCANCEL);
}
