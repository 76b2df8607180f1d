// Optimization runs, the low-memory tick and the tray picture of the main window.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include "app/ProgramPath.h"
#include "app/RegistryKey.h"
#include "app/Settings.h"
#include "mainwnd/LoadIcon.h"
#include "mainwnd/MainDialog.h"
#include "optimizer/AllocationPlan.h"
#include "optimizer/DefragQueryDialog.h"
#include "optimizer/LowMemory.h"
#include "optimizer/OptimizeReportDialog.h"
#include "probes/CpuLoad.h"
#include "probes/MemoryStatus.h"
#include "resource.h"
#include "ui/Palette.h"
#include "ui/WaitCursor.h"

namespace {
const COLORREF kRunGreen = RGB(0, 238, 0);
const int kRunControls[] = {IDC_LZL_BUTTON, IDC_CLEANRAM_BT, IDC_BUTTONOT1, IDC_MSCONFIG_BT, IDC_PROCESSMG_BT,
                            IDC_SERVICEMG_BT};

bool CleanClipboardSetting() { return ReadSettingDword("CleanClipBoard") != 0; }
}  // namespace

void MainDialog::EnableRunControls(bool enable, bool all) {
    // Without `all`, the optimize and process buttons are left as they are.
    for (int id : kRunControls)
        if (all || (id != IDC_LZL_BUTTON && id != IDC_CLEANRAM_BT)) EnableItem(id, enable);
}

void MainDialog::StartManualOptimize() {
    if (run_.Running()) return;
    WaitCursor wait;
    ReadControls();
    run_.BeginManual(settings_.sliderPos);
    EnableRunControls(false, true);
    SetTimer(hwnd_, kOptimizeTimer, 250, nullptr);
}

void MainDialog::OnOptimizeTick() {
    KillTimer(hwnd_, kOptimizeTimer);
    int tick = run_.AdvanceTick();
    if (tick <= kManualTicks) {
        labels_[4].SetText(ProgressText(ManualProgressPercent(tick)));
        progress_.SetPosition(kProgressSegments * tick);
        SetTimer(hwnd_, kOptimizeTimer, 250, nullptr);
        return;
    }
    ReadControls();
    run_.RunManualStep(hwnd_, CleanClipboardSetting());
    ReadControls();
    ShowReportIfAsked();
    progress_.SetPosition(0);
    labels_[4].SetText("0 %");
    EnableRunControls(true, true);
    run_.Finish();
}

void MainDialog::ShowReportIfAsked() {
    // The stored setting decides, not the box: an unsaved change of it is not yet in force.
    if (ReadSettingDword("BuildReport") != 0) ShowOptimizeReport(hwnd_, run_.IsAuto());
}

void MainDialog::ResetProgress() {
    progress_.SetSegmentCount(kProgressSegments);
    progress_.SetRange(0, kProgressRange);
    progress_.SetColors({kDarkGrey, kDarkGrey, kDarkGrey, kTitleCyan, kTitleCyan});
    progress_.Reset();
    progress_.SetPosition(0);
}

void MainDialog::StartAutoOptimize() {
    if (run_.Running()) return;
    EnableRunControls(false, false);
    ResetProgress();
    labels_[3].SetTextColor(kRunGreen);
    int cpu = 0, freeMem = 0;
    SampleLoad(cpu, freeMem);
    EnableItem(IDC_LZL_BUTTON, false);
    EnableItem(IDC_CLEANRAM_BT, false);
    // Only the final step may empty the clipboard; the stored setting is left alone.
    if (run_.StartAuto(hwnd_, AutoLevel(freeMem), CleanClipboardSetting()) == OptimizeRun::AutoStart::NoThread)
        EndAutoDisplay();  // no run happened: no report
}

void MainDialog::OnOptimizeProgress(DialogMessage& m) {
    if (!run_.Running() || !run_.IsAuto()) return;  // a late message of a run already ended
    if (m.wParam == kProgressComplete) {
        progress_.SetPosition(kProgressRange);
        labels_[4].SetText("100 %");
        return;
    }
    int step = static_cast<int>(m.wParam);
    labels_[4].SetText(ProgressText(AutoProgressPercent(step)));
    progress_.SetPosition(kProgressSegments * (step + 1));
}

void MainDialog::OnOptimizeDone(DialogMessage&) {
    if (!run_.Running() || !run_.IsAuto()) return;
    ReadControls();
    ShowReportIfAsked();
    EndAutoDisplay();
}

void MainDialog::EndAutoDisplay() {
    labels_[4].SetText("0 %");
    ResetProgress();
    labels_[3].SetTextColor(kTitleCyan);
    run_.Finish();
    EnableRunControls(true, true);
}

void MainDialog::LowMemoryTick() {
    KillTimer(hwnd_, kLowMemoryTimer);
    int threshold = ReadAlertThreshold();
    ReloadSettingsSnapshot();
    if (gSettingsSnapshot.soundAlert && !run_.Running()) {
        int cpu = 0, freeMem = 0;
        SampleLoad(cpu, freeMem);
        if (ShouldSoundAlert(true, false, freeMem, threshold)) {
            tray_.SetIcon(IDI_ALERT);
            trayShows_ = TrayPicture();
            // Synchronous: the tick waits for the sound; a failure changes nothing.
            PlaySoundA(ProgramFilePath("Alert.wav").c_str(), nullptr, SND_FILENAME);
        }
    }
    if (gSettingsSnapshot.autoDefrag) {
        int cpu = 0, freeMem = 0;
        if (!run_.Running()) SampleLoad(cpu, freeMem);
        AutoStep step = DecideAutoStep(run_.Running(), freeMem, cpu, threshold, promptArmed_,
                                       ReadSettingDword("NoticeDialog") != 0);
        if (step.arm) promptArmed_ = true;
        switch (step.action) {
        case AutoAction::ShowRunning:
            tray_.SetIcon(IDI_RUNNING);
            trayShows_ = TrayPicture();
            SetTimer(hwnd_, kLowMemoryTimer, 1000, nullptr);
            return;
        case AutoAction::Ask: {
            DefragQueryDialog query(hwnd_);
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
    if (run_.Running()) {
        tray_.SetIcon(IDI_RUNNING);
        trayShows_ = TrayPicture();
        return;
    }
    // Drawn and handed to the shell only when it would look different: that was most of
    // what the program cost while it waited in the tray.
    TrayPicture picture = CurrentTrayPicture();
    if (picture == trayShows_) return;
    UniqueIcon icon = DrawTrayPicture(picture.base, picture.text, picture.percent, picture.background);
    tray_.SetIcon(icon.get());
    trayShows_ = picture;
}
