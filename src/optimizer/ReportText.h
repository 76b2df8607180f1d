// Texts of the report shown after a run of either kind.
#pragma once
#include <cstdint>
#include <string>

#include "optimizer/MemoryLists.h"

// Free physical memory before and after a run, in bytes, read by the same status call.
struct FreeMemoryChange {
    std::uint64_t beforeBytes = 0;
    std::uint64_t afterBytes = 0;
};

// Language texts the report uses.
struct ReportLanguage {
    std::string report[5];  // ReportStr1..5
    std::string zljy1, zljy2;
    // Rows of free physical memory: before the run, after it, the change (strFreeBefore ...).
    std::string freeBefore, freeAfter, freeChange;
    // The lists run: one name per step (strListStep1..4), the outcome words and the headlines.
    std::string stepNames[kMemoryListStepCount];
    std::string ran, partly, refused, notAvailable, notRun;
    std::string listsDone, listsNeedRights, listsRefused, listsNotAvailable, listsNothingChosen;
};

// Headline and a grid of rows of label, value and unit: rows 0..3 describe the run, rows
// 4..6 free physical memory before, after and the change.
constexpr int kReportRows = 7;
constexpr int kFreeMemoryRow = 4;
struct ReportTexts {
    std::string headline;
    std::string cells[kReportRows][3];
};

// Report of an optimization run that changed free physical memory by `gainMB` (may be
// negative; shown by its magnitude); availKB and totalKB describe physical memory after the
// run. `change` fills the rows of free memory.
ReportTexts BuildReportTexts(int gainMB, std::uint32_t pageSize, std::uint64_t availKB, std::uint64_t totalKB,
                             bool autoRun, const ReportLanguage& lang, FreeMemoryChange change);

// What a lists run achieved, in one word for its headline.
enum class ListsHeadline {
    Done,           // the system did at least one step
    NeedsRights,    // nothing ran, and Windows refused it for want of rights
    Refused,        // nothing ran, refused otherwise
    NotAvailable,   // none of the chosen steps exists here
    NothingChosen,  // no step was chosen
};
ListsHeadline ListsHeadlineOf(const MemoryListsResult& result);

// Report of a lists run: one row per step (the outcome, and the status of a refusal or the
// pages combined), then the rows of free memory.
ReportTexts BuildListsReportTexts(const MemoryListsResult& result, FreeMemoryChange change, const ReportLanguage& lang);

// "+1024", "-3072" or "0": a change of free memory in Kbytes.
std::string SignedKbytes(std::int64_t kbytes);
// An NTSTATUS as Windows writes it: eight hex digits ("C0000061").
std::string StatusText(long status);
