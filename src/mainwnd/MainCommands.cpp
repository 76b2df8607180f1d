// Commands of the main window: buttons, check boxes, tray menu, hot key.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "app/Application.h"
#include "app/ProgramPath.h"
#include "app/RegistryKey.h"
#include "app/SettingValues.h"
#include "app/ResourceText.h"
#include "cache/CacheSetupDialog.h"
#include "hwinfo/MemoryInfoDialog.h"
#include "mainwnd/AboutDialog.h"
#include "mainwnd/MainDialog.h"
#include "mainwnd/ThresholdInput.h"
#include "optimizer/BusyLoad.h"
#include "procmgr/ProcessDialog.h"
#include "probes/CpuLoad.h"
#include "probes/OsVersion.h"
#include "startup/StartupManagerDialog.h"
#include "resource.h"
#include "svcmgr/ServiceDialog.h"
#include "ui/MessageBox.h"

namespace {
UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}
const UINT kEarlyTaskbarCreated = TaskbarCreatedMessage();  // registered once at process start
// The caption of the settings' and tools' messages.
const char kCaption[] = "strDeleteBootItem";

void StoreShowStatus(DWORD value) {
    RegistryKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kProgramKeyPath) == ERROR_SUCCESS) key.SetDword(value, kShowStatus.name);
}
}  // namespace

const MainDialog::Route MainDialog::kRoutes[] = {
    {WM_COMMAND, IDC_LZL_BUTTON, BN_CLICKED, &MainDialog::OnOptimizeButton},
    {WM_COMMAND, ID_TRAY_OPTIMIZE, kAnyCode, &MainDialog::OnTrayOptimize},
    {WM_COMMAND, IDC_TAB_BUTTON, BN_CLICKED, &MainDialog::OnToggle},
    {WM_COMMAND, IDC_EXITBT, BN_CLICKED, &MainDialog::OnExit},
    {WM_COMMAND, ID_TRAY_EXIT, kAnyCode, &MainDialog::OnExit},
    {WM_COMMAND, IDC_HIDEBT2, BN_CLICKED, &MainDialog::OnHide},
    {WM_COMMAND, ID_TRAY_SHOW, kAnyCode, &MainDialog::OnShowMain},
    {WM_COMMAND, IDC_CLEANRAM_BT, BN_CLICKED, &MainDialog::OnProcessButton},
    {WM_COMMAND, IDC_PROCESSMG_BT, BN_CLICKED, &MainDialog::OnProcessManager},
    {WM_COMMAND, ID_TRAY_PROCESS, kAnyCode, &MainDialog::OnProcessManager},
    {WM_COMMAND, IDC_MSCONFIG_BT, BN_CLICKED, &MainDialog::OnStartupManager},
    {WM_COMMAND, ID_TRAY_STARTUP, kAnyCode, &MainDialog::OnStartupManager},
    {WM_COMMAND, IDC_SERVICEMG_BT, BN_CLICKED, &MainDialog::OnServiceManager},
    {WM_COMMAND, ID_TRAY_SERVICE, kAnyCode, &MainDialog::OnServiceManager},
    {WM_COMMAND, IDC_BUTTONOT1, BN_CLICKED, &MainDialog::OnCacheSettings},
    {WM_COMMAND, ID_TRAY_CACHE, kAnyCode, &MainDialog::OnCacheSettings},
    {WM_COMMAND, IDC_MEMHDINFOBT, BN_CLICKED, &MainDialog::OnMemoryModules},
    {WM_COMMAND, IDC_BUTTONSAVERAM, BN_CLICKED, &MainDialog::OnSave},
    {WM_COMMAND, IDC_ABOUT2, BN_CLICKED, &MainDialog::OnAbout},
    {WM_COMMAND, ID_TRAY_ABOUT, kAnyCode, &MainDialog::OnAbout},
    {WM_COMMAND, IDC_HELPBT, BN_CLICKED, &MainDialog::OnHelp},
    {WM_COMMAND, ID_TRAY_HELP, kAnyCode, &MainDialog::OnHelp},
    {WM_HELP, 0, 0, &MainDialog::OnHelp},
    {WM_COMMAND, IDC_USERTYPE, CBN_SELCHANGE, &MainDialog::OnPreset},
    {WM_COMMAND, IDC_RUNKIND, CBN_SELCHANGE, &MainDialog::OnMarkChanged},
    {WM_COMMAND, IDC_RUNKIND_LABEL, STN_CLICKED, &MainDialog::OnRunKindReason},
    {WM_COMMAND, IDC_INTERVAL, EN_CHANGE, &MainDialog::OnMarkChanged},
    {WM_NOTIFY, IDC_SLIDER, NM_RELEASEDCAPTURE, &MainDialog::OnSliderReleased},
    {WM_COMMAND, IDC_RAMALERT, EN_CHANGE, &MainDialog::OnThresholdChange},
    {WM_COMMAND, IDC_HOTKEY, EN_CHANGE, &MainDialog::OnHotKeyLetterChange},
    {WM_COMMAND, IDC_CHECKAUTODEFRAG, BN_CLICKED, &MainDialog::OnAutoDefragCheck},
    {WM_COMMAND, IDC_CHECKSOUND, BN_CLICKED, &MainDialog::OnSoundCheck},
    {WM_COMMAND, IDC_CHECKAUTORUN, BN_CLICKED, &MainDialog::OnAutoRunCheck},
    {WM_COMMAND, IDC_CHECKALERTNOTICE, BN_CLICKED, &MainDialog::OnToolsWithoutWarning},
    {WM_COMMAND, IDC_CHECKCLIPBOARD, BN_CLICKED, &MainDialog::OnMarkChanged},
    {WM_COMMAND, IDC_CHECKLOG, BN_CLICKED, &MainDialog::OnMarkChanged},
    {WM_COMMAND, IDC_CHECKAUTODEFRAGTIP, BN_CLICKED, &MainDialog::OnMarkChanged},
    {WM_COMMAND, IDC_CHECKLOGONWND, BN_CLICKED, &MainDialog::OnMarkChanged},
    {WM_COMMAND, IDC_CHECKPERCENT, BN_CLICKED, &MainDialog::OnPercentCheck},
    {WM_COMMAND, ID_TRAY_DISPLAY, kAnyCode, &MainDialog::OnPercentToggle},
    {WM_COMMAND, IDC_CHECK12H, BN_CLICKED, &MainDialog::OnClockCheck},
    {WM_COMMAND, ID_COPYBT, BN_CLICKED, &MainDialog::OnCopyTool},
    {WM_HOTKEY, 0, 0, &MainDialog::OnHotKey},
    {WM_TIMER, kRefreshTimer, 0, &MainDialog::OnTimer},
    {WM_TIMER, kLowMemoryTimer, 0, &MainDialog::OnTimer},
    {WM_TIMER, kHideTimer, 0, &MainDialog::OnTimer},
    {WM_TIMER, kDelayedStartTimer, 0, &MainDialog::OnTimer},
    {WM_TIMER, kOptimizeTimer, 0, &MainDialog::OnTimer},
    {WM_TRAY_NOTIFY, 0, 0, &MainDialog::OnTrayNotify},
    {WM_WINDOWPOSCHANGING, 0, 0, &MainDialog::OnWindowPosChanging},
    {WM_WINDOWPOSCHANGED, 0, 0, &MainDialog::OnWindowPosChanged},
    {WM_OPTIMIZE_DONE, 0, 0, &MainDialog::OnOptimizeDone},
    {WM_OPTIMIZE_PROGRESS, 0, 0, &MainDialog::OnOptimizeProgress},
    {WM_PAINT, 0, 0, &MainDialog::PaintBackground},
    {WM_CTLCOLORSTATIC, 0, 0, &MainDialog::OnCtlColor},
    {WM_CTLCOLORBTN, 0, 0, &MainDialog::OnCtlColor},
    {WM_QUERYDRAGICON, 0, 0, &MainDialog::OnQueryDragIcon},
    {},
};

bool MainDialog::OnUnrouted(DialogMessage& m) {
    if (m.message != TaskbarCreatedMessage()) return false;
    UniqueIcon icon = DrawLoadIcon();
    tray_.Recreate(icon.get());
    trayPictures_.Forget();  // drawn anew at the next tick
    return true;
}

void MainDialog::MarkChanged() { EnableItem(IDC_BUTTONSAVERAM, true); }

void MainDialog::CheckLoadThenOptimize() {
    int cpu = 0, freeMem = 0;
    SampleLoad(cpu, freeMem);
    if (TooBusyForManualRun(cpu))
        ShowMessage(hwnd_, "strCpuHigh", kMainWindowTitle);
    else
        StartManualOptimize();
}

void MainDialog::OnOptimizeButton(DialogMessage&) { CheckLoadThenOptimize(); }

void MainDialog::OnHotKey(DialogMessage& m) {
    if (m.wParam == HOTKEY_ID) CheckLoadThenOptimize();
}

void MainDialog::OnTrayOptimize(DialogMessage&) { StartManualOptimize(); }

void MainDialog::OnToggle(DialogMessage&) { ToggleExpanded(); }

void MainDialog::OnExit(DialogMessage&) {
    if (ShowMessage(hwnd_, "strExitQuery", kMainWindowTitle, MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
        return;
    KillTimer(hwnd_, kRefreshTimer);
    KillTimer(hwnd_, kLowMemoryTimer);
    KillTimer(hwnd_, kDelayedStartTimer);
    tray_.Remove();
    UnregisterHotKey(hwnd_, HOTKEY_ID);
    // An automatic run stops between its steps, the monitor between two of its own; the
    // process then ends with no thread of its own left.
    run_.StopAndWait();
    monitor_.Stop();
    ReadControls();
    EndDialog(IDOK);
}

void MainDialog::OnCancel() {
    ShowWindow(hwnd_, SW_HIDE);
    StoreShowStatus(0);
}

void MainDialog::OnHide(DialogMessage&) { ShowWindow(hwnd_, SW_HIDE); }

void MainDialog::OnShowMain(DialogMessage&) {
    keepHidden_ = false;
    layout_.Restore(hwnd_);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    StoreShowStatus(1);
}

// The dialog manager shows a modal dialog the first time its queue goes empty, which can
// come after the hide timer when initialization is slow: a hidden start lets no show of this
// thread through until the window is asked for. A second copy's restore comes from another
// thread and is let through.
void MainDialog::OnWindowPosChanging(DialogMessage& m) {
    auto* pos = reinterpret_cast<WINDOWPOS*>(m.lParam);
    if (keepHidden_ && (pos->flags & SWP_SHOWWINDOW)) {
        if (InSendMessage())
            keepHidden_ = false;
        else
            pos->flags &= ~SWP_SHOWWINDOW;
    }
    m.passOn = true;
}

// The preset tip needs the modal loop's messages only while the window can be seen, and a
// hook costs every message of the thread (a round trip to the window server under some
// systems), so it is set while the window is shown: hidden in the tray, nothing is hooked.
void MainDialog::OnWindowPosChanged(DialogMessage& m) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(m.lParam);
    if ((pos->flags & SWP_SHOWWINDOW) && !filterHook_)
        filterHook_ = SetWindowsHookExA(WH_MSGFILTER, MessageFilter, nullptr, GetCurrentThreadId());
    if ((pos->flags & SWP_HIDEWINDOW) && filterHook_) {
        UnhookWindowsHookEx(filterHook_);
        filterHook_ = nullptr;
    }
    m.passOn = true;
}

bool MainDialog::ConfirmToolWarning() {
    ReadControls();
    return settings_.toolsNoWarning ||
           ShowMessage(hwnd_, "strModifySystem", Lang(kCaption), MB_OKCANCEL | MB_ICONEXCLAMATION) == IDOK;
}

void MainDialog::OnProcessButton(DialogMessage&) { OpenTool<ProcessDialog>(false, monitor_); }
void MainDialog::OnProcessManager(DialogMessage&) { OpenTool<ProcessDialog>(true, monitor_); }
void MainDialog::OnStartupManager(DialogMessage&) { OpenTool<StartupManagerDialog>(true); }
void MainDialog::OnServiceManager(DialogMessage&) { OpenTool<ServiceDialog>(true); }
void MainDialog::OnCacheSettings(DialogMessage&) { OpenTool<CacheSetupDialog>(true); }

void MainDialog::OnMemoryModules(DialogMessage&) {
    if (IsWindows9x())
        ShowMessage(hwnd_, "strErrorServiceSupport", kMainWindowTitle);
    else
        OpenTool<MemoryInfoDialog>(false);
}

void MainDialog::OnSave(DialogMessage&) {
    ReadControls();
    settings_.interval = IntervalText(settings_.interval);  // shown as it is stored
    ShowMembers();
    LONG values = WriteMainValues(settings_, settings_.userType, settings_.sliderPos);
    LONG logo = WriteSettingDword(kDisableLogo.name, settings_.logoOff ? 1 : 0);
    LONG hotKey = WriteSettingString(kHotKey.name, settings_.hotKey);
    LONG autoRun = WriteAutoRun(settings_.autoRun, autoRunPlace_);
    // A user without administrator rights may not write the machine's keys: say so, and keep
    // Save enabled, rather than claim a save that did not happen.
    bool settingsSaved = values == ERROR_SUCCESS && logo == ERROR_SUCCESS && hotKey == ERROR_SUCCESS;
    const char* text = !settingsSaved                ? "strSaveRefused"
                       : autoRun != ERROR_SUCCESS    ? "strAutoRunRefused"
                                                     : "strSaveLogMessage";
    ShowMessage(hwnd_, text, Lang(kCaption), MB_ICONEXCLAMATION | MB_OK);
    if (!settingsSaved || autoRun != ERROR_SUCCESS) return;
    EnableItem(IDC_BUTTONSAVERAM, false);
    promptArmed_ = true;
}

void MainDialog::OnAbout(DialogMessage&) {
    AboutDialog about(appIcon_, hwnd_);
    about.RunModal();
}

void MainDialog::OnHelp(DialogMessage&) {
    ShellExecuteA(nullptr, "open", ProgramFilePath("Help.chm").c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainDialog::OnCopyTool(DialogMessage&) { WinExec(ProgramFilePath("Swiftdup.exe").c_str(), SW_SHOWNORMAL); }

void MainDialog::OnPreset(DialogMessage&) {
    ReadControls();
    int s = settings_.userType;
    if (s < 0 || s > 4) return;
    EnableItem(IDC_SLIDER, s == 4);
    settings_.sliderPos = 2 * s;  // the slider's range turns 0 into 1
    ShowMembers();
    UpdateAmountLabel();
    MarkChanged();
    presetTip_.Show(presetTexts_[s], appIcon_, POINT{500, 360});
}

void MainDialog::OnSliderReleased(DialogMessage&) {
    UpdateAmountLabel();
    MarkChanged();
}

void MainDialog::OnThresholdChange(DialogMessage&) {
    // The first notification comes from the window's own initialization.
    if (!thresholdSeen_) {
        thresholdSeen_ = true;
        return;
    }
    // Our own rewrites notify again; checking those too would show the message twice
    // for a text such as "" that is first normalised to "0" and then corrected.
    if (thresholdRewriting_) return;
    ReadControls();
    ThresholdCheck check = CheckThreshold(settings_.threshold);
    settings_.threshold = check.normalText;
    thresholdRewriting_ = true;
    ShowMembers();
    if (check.outOfRange) {
        ShowMessage(hwnd_, "MessageInputError", Lang(kCaption), MB_ICONEXCLAMATION | MB_OK);
        settings_.threshold = check.correctedText;
        ShowMembers();
    }
    thresholdRewriting_ = false;
    MarkChanged();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainDialog::OnHotKeyLetterChange(DialogMessage&) {
    MarkChanged();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void MainDialog::UpdateThresholdControls() {
    bool editable = settings_.sound || settings_.autoDefrag;
    EnableItem(IDC_RAMALERT, editable);
    EnableItem(IDC_RAMALERT_SPIN, editable);
}

void MainDialog::OnAutoDefragCheck(DialogMessage&) {
    ReadControls();
    MarkChanged();
    UpdateThresholdControls();
    EnableItem(IDC_CHECKAUTODEFRAGTIP, settings_.autoDefrag != 0);
}

void MainDialog::OnSoundCheck(DialogMessage&) {
    ReadControls();
    MarkChanged();
    UpdateThresholdControls();
}

void MainDialog::OnAutoRunCheck(DialogMessage&) {
    // The member as last read: the warning follows the box being turned off.
    if (settings_.autoRun)
        ShowMessage(hwnd_, "strAutorunCloseMessage", Lang(kCaption), MB_ICONEXCLAMATION | MB_OK);
    MarkChanged();
}

void MainDialog::OnToolsWithoutWarning(DialogMessage&) {
    ReadControls();
    MarkChanged();
    WriteSettingDword(kOtherFunctionTips.name, settings_.toolsNoWarning ? 1 : 0);
}

void MainDialog::OnMarkChanged(DialogMessage&) { MarkChanged(); }

void MainDialog::OnPercentCheck(DialogMessage&) {
    ReadControls();
    ApplyPercentDisplay();
}

void MainDialog::OnPercentToggle(DialogMessage&) {
    settings_.percent = !settings_.percent;
    ShowMembers();
    ApplyPercentDisplay();
}

void MainDialog::OnClockCheck(DialogMessage&) {
    ReadControls();
    SetItemText(IDC_CHECK12H, settings_.clock12 ? "24H" : "12H");
}

void MainDialog::OnTrayNotify(DialogMessage& m) {
    tray_.SetDisplayModeText(displayModeText_);
    tray_.OnTrayNotification(m.wParam, m.lParam);
}

void MainDialog::OnQueryDragIcon(DialogMessage& m) { m.result = reinterpret_cast<INT_PTR>(appIcon_); }
