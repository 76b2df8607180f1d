// Modal report of how much physical memory a run gained.
#pragma once
#include "optimizer/ReportText.h"
#include "ui/Dialog.h"

class OptimizeReportDialog : public DialogImpl<OptimizeReportDialog> {
public:
    explicit OptimizeReportDialog(const ReportTexts& texts, HWND parent = nullptr);
    static const Route kRoutes[];

private:
    BOOL OnInitDialog() override;
    ReportTexts texts_;
};

// Builds the report from the baseline and a fresh snapshot and shows it modally;
// true when the gain was not zero.
bool ShowOptimizeReport(HWND parent, bool autoRun);
