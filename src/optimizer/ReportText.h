// Texts of the report shown after an optimization run.
#pragma once
#include <cstdint>
#include <string>

// Language texts the report uses (ReportStr1..5, ZLJY1, ZLJY2).
struct ReportLanguage {
    std::string report[5];
    std::string zljy1, zljy2;
};

// Headline and a grid of four rows of label, value and unit.
struct ReportTexts {
    std::string headline;
    std::string cells[4][3];
};

// Report of a run that changed free physical memory by `gainMB` (may be negative);
// availKB and totalKB describe physical memory after the run.
ReportTexts BuildReportTexts(int gainMB, std::uint32_t pageSize, std::uint64_t availKB, std::uint64_t totalKB,
                             bool autoRun, const ReportLanguage& lang);
