#include "optimizer/OptimizeReportDialog.h"

#include "app/ResourceText.h"
#include "probes/MemoryStatus.h"
#include "resource.h"

const OptimizeReportDialog::Route OptimizeReportDialog::kRoutes[] = {
    {},
};

namespace {
const Caption kCaptions[] = {
    {Dialog::kWindowTitle, "ReportStr1"},
    {IDOK, "IDCANCELINARUN"},
};
}  // namespace

OptimizeReportDialog::OptimizeReportDialog(const ReportTexts& texts, HWND parent)
    : DialogImpl(IDD_REPORT_DIALOG, parent), texts_(texts) {
    UseRoundedFrame();
}

BOOL OptimizeReportDialog::OnInitDialog() {
    SetCaptions(kCaptions);
    SetItemText(IDC_REPORT_HEADLINE, texts_.headline);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column) SetItemText(IDC_REPORT_LABEL1 + row * 3 + column, texts_.cells[row][column]);
    return TRUE;
}

bool ShowOptimizeReport(HWND parent, bool autoRun) {
    MemorySnapshot after = QueryMemorySnapshot();
    int gain = after.AvailPhysMB - BaselineSnapshot().AvailPhysMB;
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    MemoryStatusBytes status = QueryMemoryStatus();
    ReportLanguage lang;
    const char* keys[] = {"ReportStr1", "ReportStr2", "ReportStr3", "ReportStr4", "ReportStr5"};
    for (int i = 0; i < 5; ++i) lang.report[i] = Lang(keys[i]);
    lang.zljy1 = Lang("ZLJY1");
    lang.zljy2 = Lang("ZLJY2");
    OptimizeReportDialog report(
        BuildReportTexts(gain, si.dwPageSize, status.AvailPhys / 1024, status.TotalPhys / 1024, autoRun, lang), parent);
    report.RunModal();
    return gain != 0;
}
