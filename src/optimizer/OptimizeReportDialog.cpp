#include "optimizer/OptimizeReportDialog.h"

#include "app/ResourceText.h"
#include "optimizer/RunFigures.h"
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

// The status after the run has settled, and the change of free memory since the baseline:
// both ends read by the same call.
MemoryStatusBytes SettledAfterRun(FreeMemoryChange& change) {
    MemoryStatusBytes after = SettledMemoryStatus();
    change.beforeBytes = BaselineStatus().AvailPhys;
    change.afterBytes = after.AvailPhys;
    return after;
}
}  // namespace

OptimizeReportDialog::OptimizeReportDialog(const ReportTexts& texts, HWND parent)
    : DialogImpl(IDD_REPORT_DIALOG, parent), texts_(texts) {
    UseRoundedFrame();
}

int OptimizeReportDialog::CellId(int row, int column) {
    // Rows 5 to 7 came later, numbered after the headline.
    return row < kFreeMemoryRow ? IDC_REPORT_LABEL1 + row * 3 + column
                                : IDC_REPORT_LABEL5 + (row - kFreeMemoryRow) * 3 + column;
}

BOOL OptimizeReportDialog::OnInitDialog() {
    SetCaptions(kCaptions);
    SetItemText(IDC_REPORT_HEADLINE, texts_.headline);
    for (int row = 0; row < kReportRows; ++row)
        for (int column = 0; column < 3; ++column) SetItemText(CellId(row, column), texts_.cells[row][column]);
    return TRUE;
}

ReportLanguage LoadReportLanguage() {
    ReportLanguage lang;
    lang.report[0] = Lang("ReportStr1");
    lang.report[1] = Lang("ReportStr2");
    lang.report[2] = Lang("ReportStr3");
    lang.report[3] = Lang("ReportStr4");
    lang.report[4] = Lang("ReportStr5");
    lang.zljy1 = Lang("ZLJY1");
    lang.zljy2 = Lang("ZLJY2");
    lang.freeBefore = Lang("strFreeBefore");
    lang.freeAfter = Lang("strFreeAfter");
    lang.freeChange = Lang("strFreeChange");
    // Literal keys, so the language-key check finds them.
    lang.stepNames[0] = Lang("strListStep1");
    lang.stepNames[1] = Lang("strListStep2");
    lang.stepNames[2] = Lang("strListStep3");
    lang.stepNames[3] = Lang("strListStep4");
    lang.ran = Lang("strListRan");
    lang.partly = Lang("strListPartly");
    lang.refused = Lang("strListRefused");
    lang.notAvailable = Lang("strListNotAvailable");
    lang.notRun = Lang("strListNotRun");
    lang.listsDone = Lang("strListsDone");
    lang.listsNeedRights = Lang("strListsNeedRights");
    lang.listsRefused = Lang("strListsRefused");
    lang.listsNotAvailable = Lang("strListsNotAvailable");
    lang.listsNothingChosen = Lang("strListsNothingChosen");
    return lang;
}

bool ShowOptimizeReport(HWND parent, bool autoRun) {
    FreeMemoryChange change;
    MemoryStatusBytes status = SettledAfterRun(change);
    int gain = QueryMemorySnapshot().AvailPhysMB - BaselineSnapshot().AvailPhysMB;
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    OptimizeReportDialog report(BuildReportTexts(gain, si.dwPageSize, status.AvailPhys / 1024, status.TotalPhys / 1024,
                                                 autoRun, LoadReportLanguage(), change),
                                parent);
    report.RunModal();
    return gain != 0;
}

bool ShowMemoryListsReport(HWND parent, const MemoryListsResult& result) {
    FreeMemoryChange change;
    SettledAfterRun(change);
    OptimizeReportDialog report(BuildListsReportTexts(result, change, LoadReportLanguage()), parent);
    report.RunModal();
    return result.AnyRan();
}
