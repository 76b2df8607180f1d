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

void MainDialog::StartManualOptimize() {
    if (run_.Running()) return;
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
    if (StoredSwitchOn(kBuildReport)) ShowOptimizeReport(hwnd_, run_.IsAuto());
}

void MainDialog::StartAutoOptimize() {
    if (run_.Running()) return;
    runDisplay_.BeginAuto();
    int cpu = 0, freeMem = 0;
    SampleLoad(cpu, freeMem);
    // Only the final step may empty the clipboard; the stored setting is left alone.
    if (run_.StartAuto(hwnd_, AutoLevel(freeMem), CleanClipboardSetting()) == OptimizeRun::AutoStart::NoThread)
        EndAutoRun();  // no run happened: no report
}

void MainDialog::OnOptimizeProgress(DialogMessage& m) {
    if (!run_.Running() || !run_.IsAuto()) return;  // a late message of a run already ended
    runDisplay_.ShowAutoProgress(m.wParam);
}

void MainDialog::OnOptimizeDone(DialogMessage&) {
    if (!run_.Running() || !run_.IsAuto()) return;
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
    UpdateTrayPicture();
    SetTimer(hwnd_, kLowMemoryTimer, 1000, nullptr);
}

void MainDialog::UpdateTrayPicture() {
    if (run_.Running())
        trayPictures_.ShowResource(tray_, IDI_RUNNING);
    else
        trayPictures_.Update(tray_, settings_.percent != 0);
}
