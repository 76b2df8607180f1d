#include "mainwnd/RunDisplay.h"

#include "optimizer/AllocationPlan.h"
#include "optimizer/OptimizeRun.h"
#include "resource.h"
#include "ui/Palette.h"

namespace {
const COLORREF kRunGreen = RGB(0, 238, 0);
const int kRunControls[] = {IDC_LZL_BUTTON, IDC_CLEANRAM_BT, IDC_BUTTONOT1, IDC_MSCONFIG_BT, IDC_PROCESSMG_BT,
                            IDC_SERVICEMG_BT};
const char kNone[] = "0 %";
}  // namespace

RunDisplay::RunDisplay() : bar_(kProgressSegments, 0) {}

void RunDisplay::Attach(HWND window, const BarColors& colors, ColorLabel& figure, ColorLabel& title) {
    window_ = window;
    figure_ = &figure;
    title_ = &title;
    bar_.Attach(GetDlgItem(window, IDC_PROGRESS_BAR));
    bar_.SetSegmentCount(kProgressSegments);
    bar_.SetRange(0, kProgressRange);
    bar_.SetMode(BusyProgressCtrl::kProgressMode);
    bar_.SetColors(colors);
}

void RunDisplay::EnableControls(bool enable) const {
    for (int id : kRunControls) EnableWindow(GetDlgItem(window_, id), enable ? TRUE : FALSE);
}

void RunDisplay::ResetBar() {
    bar_.SetSegmentCount(kProgressSegments);
    bar_.SetRange(0, kProgressRange);
    bar_.SetColors({kDarkGrey, kDarkGrey, kDarkGrey, kTitleCyan, kTitleCyan});
    bar_.Reset();
    bar_.SetPosition(0);
}

void RunDisplay::BeginManual() { EnableControls(false); }

void RunDisplay::ShowManualTick(int tick) {
    figure_->SetText(ProgressText(ManualProgressPercent(tick)));
    bar_.SetPosition(kProgressSegments * tick);
}

void RunDisplay::EndManual() {
    bar_.SetPosition(0);
    figure_->SetText(kNone);
    EnableControls(true);
}

void RunDisplay::BeginAuto() {
    EnableControls(false);
    ResetBar();
    title_->SetTextColor(kRunGreen);
}

void RunDisplay::ShowAutoProgress(WPARAM progress) {
    if (progress == kProgressComplete) {
        bar_.SetPosition(kProgressRange);
        figure_->SetText("100 %");
        return;
    }
    int step = static_cast<int>(progress);
    figure_->SetText(ProgressText(AutoProgressPercent(step)));
    bar_.SetPosition(kProgressSegments * (step + 1));
}

void RunDisplay::ShowListsProgress(WPARAM progress) {
    if (progress == kProgressComplete) {
        ShowAutoProgress(progress);
        return;
    }
    int step = static_cast<int>(progress);
    figure_->SetText(ProgressText(ListsProgressPercent(step)));
    bar_.SetPosition(kProgressRange * (step + 1) / kMemoryListStepCount);
}

void RunDisplay::EndAuto() {
    figure_->SetText(kNone);
    ResetBar();
    title_->SetTextColor(kTitleCyan);
    EnableControls(true);
}
