#include "startup/StartupManagerDialog.h"

#include "app/ResourceText.h"
#include "app/Settings.h"
#include "probes/OsVersion.h"
#include "procmgr/ProcessList.h"
#include "startup/RunSetupDialog.h"
#include "startup/StartupEntries.h"
#include "startup/StartupRows.h"
#include "ui/FileIcon.h"
#include "ui/MessageBox.h"

namespace {
const Caption kCaptions[] = {
    {Dialog::kWindowTitle, "IDD_AUTORUN_DIALOG"},
    CAPTION(IDC_LGRUN_BUTTON), CAPTION(IDC_DELRUN_BUTTON), CAPTION(IDC_APPLYRUN_BUTTON),
    {IDCANCEL, "IDCANCELINARUN"},
};

const ListColumn kColumns[] = {
    {"RLISTITEM1", 100, LVCFMT_LEFT},
    {"RLISTITEM2", 240, LVCFMT_LEFT},
    {"RLISTITEM3", 200, LVCFMT_LEFT},
};

const int kActions[] = {IDC_LGRUN_BUTTON, IDC_DELRUN_BUTTON, IDC_APPLYRUN_BUTTON};
// What the window says comes under the program's name, with the exclamation icon.
const char kCaption[] = "ProgramName";
const UINT kNotice = MB_OK | MB_ICONEXCLAMATION;
}  // namespace

const StartupManagerDialog::Route StartupManagerDialog::kRoutes[] = {
    {WM_NOTIFY, IDC_AUTORUN_LIST, NM_CLICK, &StartupManagerDialog::OnListClick},
    {WM_NOTIFY, IDC_AUTORUN_LIST, NM_DBLCLK, &StartupManagerDialog::OnListDoubleClick},
    {WM_NOTIFY, IDC_AUTORUN_LIST, LVN_GETDISPINFOA, &StartupManagerDialog::OnIconRequest},
    {WM_NOTIFY, IDC_AUTORUN_LIST, LVN_GETDISPINFOW, &StartupManagerDialog::OnIconRequest},
    {WM_COMMAND, IDC_APPLYRUN_BUTTON, BN_CLICKED, &StartupManagerDialog::OnSet},
    {WM_COMMAND, IDC_DELRUN_BUTTON, BN_CLICKED, &StartupManagerDialog::OnDelete},
    {WM_COMMAND, IDC_LGRUN_BUTTON, BN_CLICKED, &StartupManagerDialog::OnRun},
    {},
};

StartupManagerDialog::StartupManagerDialog() : DialogImpl(kTemplate) { UseRoundedFrame(); }

BOOL StartupManagerDialog::OnInitDialog() {
    // Before the list is read, so it shows no copy the clean-up removes.
    ReconcileStartupEntries();
    SetCaptions(kCaptions);
    icons_.Attach(list_.SetUpToolList(Item(IDC_AUTORUN_LIST), kColumns), IDI_PROGRAM_FALLBACK);
    FillStartupList();
    CreateDisabledKeys();
    EnableActions(false);
    return TRUE;
}

void StartupManagerDialog::FillStartupList() {
    bool delayedReadable = true;
    items_ = ReadStartupItems(&delayedReadable);
    // A program's icon is read when its row is first drawn, and once per program for as long as
    // the window is open: under some systems each read costs milliseconds.
    const std::vector<int> images(items_.size(), I_IMAGECALLBACK);
    list_.Clear();
    list_.SetRows(StartupRows(items_, LoadStartupStateTexts(), images));
    // Otherwise the delayed items would be missing from the list without a word.
    if (!delayedReadable) ShowMessage(hwnd_, "strDelayFileUnreadable", Lang(kCaption), kNotice);
}

void StartupManagerDialog::OnIconRequest(DialogMessage& m) {
    icons_.AnswerImageRequest(m.lParam, items_.size(),
                              [&](size_t k) { return CommandToIconPath(CommandToRun(items_[k])); });
}

bool StartupManagerDialog::FocusedItem(StartupItem& item) const {
    int row = list_.FocusedRow();
    if (row < 0) return false;
    size_t index = static_cast<size_t>(list_.Data(row)) - 1;
    if (index >= items_.size()) return false;
    item = items_[index];
    return true;
}

void StartupManagerDialog::EnableActions(bool enable) {
    for (int id : kActions) EnableItem(id, enable);
}

void StartupManagerDialog::OnListClick(DialogMessage&) { EnableActions(list_.FocusedRow() >= 0); }

void StartupManagerDialog::OnListDoubleClick(DialogMessage& m) {
    OnListClick(m);
    if (list_.FocusedRow() >= 0) OnSet(m);
}

void StartupManagerDialog::OnSet(DialogMessage&) {
    StartupItem item;
    if (FocusedItem(item)) SetItem(item);
}

namespace {
// From Vista on the program starts with Windows through its log-on task.
bool StartsWithWindows() {
    return IsVistaOrLater() ? AutoRunStored(AutoRunPlace::LogonTask) : OwnStartupValueExists();
}
}  // namespace

void StartupManagerDialog::SetItem(const StartupItem& item) {
    RunSetupDialog setup(hwnd_);
    setup.NameText = item.Name;
    setup.CommandText = item.Command;
    setup.DelayMinutes = item.DelayMinutes != 0 ? item.DelayMinutes : 1;
    setup.Mode = ModeOfSource(item.Source);
    if (setup.RunModal() != IDOK) return;
    switch (SetStartupMode(item, setup.Mode, setup.DelayMinutes)) {
    case ModeChange::NotStorable: ShowMessage(hwnd_, "strStartupNotStorable", Lang(kCaption), kNotice); break;
    case ModeChange::DelayFileFull: ShowMessage(hwnd_, "strDelayFileFull", Lang(kCaption), kNotice); break;
    case ModeChange::NotWritten: ShowMessage(hwnd_, "strStartupNotChanged", Lang(kCaption), kNotice); break;
    case ModeChange::Done:
        // Delayed items are started only by this program, at a start with Windows.
        if (setup.Mode == Delayed && !StartsWithWindows())
            ShowMessage(hwnd_, "strStartUpTips", Lang(kCaption), kNotice);
        break;
    }
    FillStartupList();
    EnableActions(false);
}

void StartupManagerDialog::OnDelete(DialogMessage&) {
    StartupItem item;
    if (!FocusedItem(item)) return;
    std::string question = Lang("strStartDeleteSure1") + item.Name + Lang("strStartDeleteSure2") + " ";
    if (ShowMessageText(hwnd_, question, Lang("strDeleteBootItem"), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    bool deleted = DeleteStartupItem(item);
    FillStartupList();
    EnableActions(false);
    // The delete's own result decides: the list's row count could be fooled by another item
    // coming or going meanwhile, or by an alike delayed item that stays.
    if (!deleted)
        ShowMessageText(hwnd_, Lang("strBootItemCantDelete1") + item.Name + Lang("strBootItemCantDelete2"),
                        Lang(kCaption), kNotice);
}

void StartupManagerDialog::OnRun(DialogMessage&) {
    StartupItem item;
    if (!FocusedItem(item)) return;
    const std::string command = CommandToRun(item);
    ProcessList processes;
    processes.Refresh();
    if (IsCommandRunning(command, processes.ImagePaths)) {
        ShowMessageText(hwnd_, Lang("strBootHasRunned1") + item.Name + Lang("strBootHasRunned2"), Lang(kCaption),
                        kNotice);
        return;
    }
    // WinExec's values up to 31 are errors: a start that failed is not reported as done.
    bool started = WinExec(command.c_str(), SW_SHOWNORMAL) > 31;
    std::string said = item.Name + (started ? Lang("strBootHasRunned3") : Lang("strBootRunFailed"));
    ShowMessageText(hwnd_, said, Lang(kCaption), kNotice);
}
