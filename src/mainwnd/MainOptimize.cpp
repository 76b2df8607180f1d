// Optimization runs, the low-memory tick and the tray picture of the main window.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include "app/ProgramPath.h"
#include "app/RegistryKey.h"
#include "app/SettingValues.h"
#include "app/Settings.h"
#include "mainwnd/MainDialog.h"
#include "optimizer/AllocationPlan.h"
#include "optimizer/DefragQueryDialog.h"
#include "optimizer/LowMemory.h"
#include "optimizer/OptimizeReportDialog.h"
#include "probes/CpuLoad.h"
#include "probes/MemoryStatus.h"
#include "resource.h"
#include "ui/WaitCursor.h"

namespace {
bool CleanClipboardSetting() { return StoredSwitchOn(kCleanClipBoard); }
}  // namespace

bool MainDialog::ListsRunChosen() const {
    // The stored choice decides; where the system or the account cannot empty the lists, the
    // optimization run frees memory instead of a run that would only be refused.
    return ReadSetting(kRunKind, 0, kListsRunKind) == kListsRunKind && ListsRunAllowed().empty();
}

std::string MainDialog::ListsRunAllowed() const {
    if (!MemoryListsAvailable().lists) return "strListsNeedVista";
    if (ProbeMemoryListsPrivilege(BindMemoryListCalls()) != PrivilegeOutcome::Enabled) return "strListsChoiceNeedsRights";
    return std::string();
}

void MainDialog::StartListsRun(bool automatic) {
    lastRunTick_ = GetTickCount();
    runDisplay_.BeginAuto();
    MemoryListSteps steps = ReadSetting(kListSteps) & kAllMemoryListSteps;
    if (run_.StartLists(hwnd_, automatic, steps, MemoryListsAvailable()) == OptimizeRun::AutoStart::NoThread)
        EndAutoRun();
}

void MainDialog::StartManualOptimize() {
    if (run_.Running()) return;
    if (ListsRunChosen()) {
        StartListsRun(false);
        return;
    }
    lastRunTick_ = GetTickCount();
    WaitCursor wait;
    ReadControls();
    run_.BeginManual(settings_.sliderPos);
    runDisplay_.BeginManual();
    SetTimer(hwnd_, kOptimizeTimer, 250, nullptr);
}

void MainDialog::OnOptimizeTick() {
    KillTimer(hwnd_, kOptimizeTimer);
    int tick = run_.AdvanceTick();
    if (tick <= kManualTicks) {
        runDisplay_.ShowManualTick(tick);
        SetTimer(hwnd_, kOptimizeTimer, 250, nullptr);
        return;
    }
    ReadControls();
    run_.RunManualStep(hwnd_, CleanClipboardSetting());
    ReadControls();
    ShowReportIfAsked();
    runDisplay_.EndManual();
    run_.Finish();
}

void MainDialog::ShowReportIfAsked() {
    // The stored setting decides, not the box: an unsaved change of it is not yet in force.
    if (!StoredSwitchOn(kBuildReport)) return;
    if (const MemoryListsResult* lists = run_.IsLists() ? run_.ListsResult() : nullptr)
        ShowMemoryListsReport(hwnd_, *lists);
    else
        ShowOptimizeReport(hwnd_, run_.IsAuto());
}

void MainDialog::StartAutoOptimize() {
    if (run_.Running()) return;
    if (ListsRunChosen()) {
        StartListsRun(true);
        return;
    }
    lastRunTick_ = GetTickCount();
    runDisplay_.BeginAuto();
    int cpu = 0, freeMem = 0;
    SampleLoad(cpu, freeMem);
    // Only the final step may empty the clipboard; the stored setting is left alone.
    if (run_.StartAuto(hwnd_, AutoLevel(freeMem), CleanClipboardSetting()) == OptimizeRun::AutoStart::NoThread)
        EndAutoRun();  // no run happened: no report
}

void MainDialog::OnOptimizeProgress(DialogMessage& m) {
    // A late message of a run already ended, or of none that reports so, is dropped.
    if (!run_.Running() || !(run_.IsAuto() || run_.IsLists())) return;
    if (run_.IsLists())
        runDisplay_.ShowListsProgress(m.wParam);
    else
        runDisplay_.ShowAutoProgress(m.wParam);
}

void MainDialog::OnOptimizeDone(DialogMessage&) {
    if (!run_.Running() || !(run_.IsAuto() || run_.IsLists())) return;
    ReadControls();
    ShowReportIfAsked();
    EndAutoRun();
}

void MainDialog::EndAutoRun() {
    runDisplay_.EndAuto();
    run_.Finish();
}

void MainDialog::LowMemoryTick() {
    KillTimer(hwnd_, kLowMemoryTimer);
    int threshold = ReadAlertThreshold();
    ReloadSettingsSnapshot();
    if (gSettingsSnapshot.soundAlert && !run_.Running()) {
        int cpu = 0, freeMem = 0;
        SampleLoad(cpu, freeMem);
        if (ShouldSoundAlert(true, false, freeMem, threshold)) {
            trayPictures_.ShowResource(tray_, IDI_ALERT);
            // Synchronous: the tick waits for the sound; a failure changes nothing.
            PlaySoundA(ProgramFilePath("Alert.wav").c_str(), nullptr, SND_FILENAME);
        }
    }
    if (gSettingsSnapshot.autoDefrag) {
        int cpu = 0, freeMem = 0;
        if (!run_.Running()) SampleLoad(cpu, freeMem);
        AutoStep step = DecideAutoStep(run_.Running(), freeMem, cpu, threshold, promptArmed_,
                                       StoredSwitchOn(kNoticeDialog));
        if (step.arm) promptArmed_ = true;
        switch (step.action) {
        case AutoAction::ShowRunning:
            trayPictures_.ShowResource(tray_, IDI_RUNNING);
            SetTimer(hwnd_, kLowMemoryTimer, 1000, nullptr);
            return;
        case AutoAction::Ask: {
            DefragQueryDialog query(hwnd_, loadLine_);
            if (query.RunModal() == IDOK)
                StartAutoOptimize();
            else
                promptArmed_ = false;
            break;
        }
        case AutoAction::Start: StartAutoOptimize(); break;
        case AutoAction::None: break;
        }
    }
    IntervalRunTick();
    UpdateTrayPicture();
    SetTimer(hwnd_, kLowMemoryTimer, 1000, nullptr);
}

void MainDialog::IntervalRunTick() {
    int minutes = static_cast<int>(ReadSetting(kRunInterval, 0, kLongestIntervalMinutes));
    // Switched off, the interval starts afresh from the moment it is switched on.
    if (minutes == 0) lastRunTick_ = GetTickCount();
    int cpu = 0, freeMem = 0;
    if (minutes != 0 && !run_.Running()) SampleLoad(cpu, freeMem);
    AutoAction action =
        DecideIntervalRun(minutes, lastRunTick_, GetTickCount(), run_.Running(), cpu, StoredSwitchOn(kNoticeDialog));
    if (action == AutoAction::None) return;
    lastRunTick_ = GetTickCount();  // a declined question waits a whole interval too
    if (action == AutoAction::Ask) {
        DefragQueryDialog query(hwnd_, loadLine_);
        if (query.RunModal() != IDOK) return;
    }
    StartAutoOptimize();
}

void MainDialog::UpdateTrayPicture() {
    if (run_.Running())
        trayPictures_.ShowResource(tray_, IDI_RUNNING);
    else
        trayPictures_.Update(tray_, settings_.percent != 0);
}
