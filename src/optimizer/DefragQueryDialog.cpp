#include "optimizer/DefragQueryDialog.h"

#include <cstdio>

#include "app/Application.h"
#include "app/ResourceText.h"
#include "optimizer/BusyLoad.h"
#include "probes/CpuLoad.h"
#include "resource.h"
#include "ui/MessageBox.h"

const DefragQueryDialog::Route DefragQueryDialog::kRoutes[] = {
    {WM_TIMER, kLoadTimer, 0, &DefragQueryDialog::OnLoadTimer},
    {},
};

namespace {
const Caption kCaptions[] = {
    {Dialog::kWindowTitle, "IDD_DEFRAGQUERY_DIALOG"},
    CAPTION(IDC_STATICDEDLGQUERY0), CAPTION(IDC_STATICDEDLGQUERY1), CAPTION(IDC_STATICDEDLGQUERY2),
    CAPTION(IDC_STATICCPUSTATUSINNOTICE),
    {IDOK, "IDOKINTSZL"},
    {IDCANCEL, "IDCANCELINTSZL"},
};
}  // namespace

DefragQueryDialog::DefragQueryDialog(HWND mainWindow, const std::string& loadLine)
    : DialogImpl(IDD_DEFRAGQUERY_DIALOG, mainWindow), loadLine_(loadLine) {
    UseRoundedFrame();
}

BOOL DefragQueryDialog::OnInitDialog() {
    int cpu = 0, freeMem = 0;
    SampleLoad(cpu, freeMem);
    char load[32];
    std::snprintf(load, sizeof load, "%ld%%", static_cast<long>(cpu));
    SetItemText(IDC_CPUSTATUS, load);
    SetTimer(hwnd_, kLoadTimer, 1000, nullptr);
    SetCaptions(kCaptions);
    return TRUE;
}

void DefragQueryDialog::OnLoadTimer(DialogMessage&) { SetItemText(IDC_CPUSTATUS, loadLine_); }

void DefragQueryDialog::OnOK() {
    int cpu = 0, freeMem = 0;
    SampleLoad(cpu, freeMem);
    if (TooBusyForManualRun(cpu)) {
        ShowMessage(hwnd_, "strCpuHigh", kMainWindowTitle);
        return;
    }
    KillTimer(hwnd_, kLoadTimer);
    EndDialog(IDOK);
}

void DefragQueryDialog::OnCancel() {
    KillTimer(hwnd_, kLoadTimer);
    EndDialog(IDCANCEL);
}
