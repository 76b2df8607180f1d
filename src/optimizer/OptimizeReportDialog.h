// Modal report of what a run freed.
#pragma once
#include "optimizer/MemoryLists.h"
#include "optimizer/ReportText.h"
#include "ui/Dialog.h"

class OptimizeReportDialog : public DialogImpl<OptimizeReportDialog> {
public:
    explicit OptimizeReportDialog(const ReportTexts& texts, HWND parent = nullptr);
    static const Route kRoutes[];
    // Control of `column` (0 label, 1 value, 2 unit) in `row` (0 .. kReportRows - 1).
    static int CellId(int row, int column);

private:
    BOOL OnInitDialog() override;
    ReportTexts texts_;
};

// The report's texts from the language file.
ReportLanguage LoadReportLanguage();

// Report of an optimization run: builds it from the baseline and the settled figures after
// the run and shows it modally; true when the gain was not zero.
bool ShowOptimizeReport(HWND parent, bool autoRun);
// Report of a lists run (`result` as the run returned it), measured the same way; shown
// modally. True when the system did at least one step.
bool ShowMemoryListsReport(HWND parent, const MemoryListsResult& result);
