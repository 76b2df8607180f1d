#include "optimizer/ReportText.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
const char kKbytes[] = "Kbytes";
const char kPages[] = "pages";

void SetRow(ReportTexts& t, int row, const std::string& label, const std::string& value, const std::string& unit) {
    t.cells[row][0] = label;
    t.cells[row][1] = value;
    t.cells[row][2] = unit;
}

void SetFreeMemoryRows(ReportTexts& t, FreeMemoryChange change, const ReportLanguage& lang) {
    std::uint64_t before = change.beforeBytes / 1024, after = change.afterBytes / 1024;
    SetRow(t, kFreeMemoryRow, lang.freeBefore, std::to_string(before), kKbytes);
    SetRow(t, kFreeMemoryRow + 1, lang.freeAfter, std::to_string(after), kKbytes);
    SetRow(t, kFreeMemoryRow + 2, lang.freeChange,
           SignedKbytes(static_cast<std::int64_t>(after) - static_cast<std::int64_t>(before)), kKbytes);
}

bool RefusedForRights(const MemoryListsResult& r) {
    if (r.privilege == PrivilegeOutcome::NotHeld) return true;
    for (const MemoryListStepResult& s : r.steps)
        if (s.outcome == StepOutcome::Refused && (s.status == kStatusPrivilegeNotHeld || s.status == kStatusAccessDenied))
            return true;
    return false;
}
}  // namespace

std::string SignedKbytes(std::int64_t kbytes) {
    return kbytes > 0 ? "+" + std::to_string(kbytes) : std::to_string(kbytes);
}

std::string StatusText(long status) {
    char text[16];
    std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(status) & 0xFFFFFFFFul);
    return text;
}

ReportTexts BuildReportTexts(int gainMB, std::uint32_t pageSize, std::uint64_t availKB, std::uint64_t totalKB,
                             bool autoRun, const ReportLanguage& lang, FreeMemoryChange change) {
    ReportTexts t;
    SetFreeMemoryRows(t, change, lang);
    std::uint64_t magnitude = static_cast<std::uint64_t>(std::llabs(gainMB));
    if (gainMB != 0) {
        std::uint64_t pages = pageSize ? magnitude * 1048576 / pageSize : 0;
        SetRow(t, 0, lang.report[1], std::to_string(availKB), kKbytes);
        SetRow(t, 1, lang.report[2], std::to_string(totalKB), kKbytes);
        SetRow(t, 2, lang.report[3], std::to_string(magnitude * 1024), kKbytes);
        SetRow(t, 3, lang.report[4], std::to_string(pages), kPages);
        return t;
    }
    t.headline = autoRun ? lang.zljy2 : lang.zljy1;
    SetRow(t, 0, lang.report[0], "", "");
    SetRow(t, 1, lang.report[1], std::to_string(availKB), kKbytes);
    SetRow(t, 2, lang.report[2], std::to_string(totalKB), kKbytes);
    return t;
}

ListsHeadline ListsHeadlineOf(const MemoryListsResult& r) {
    if (r.AnyRan()) return ListsHeadline::Done;
    bool chosen = false, refused = false;
    for (const MemoryListStepResult& s : r.steps) {
        chosen = chosen || s.outcome != StepOutcome::NotRun;
        refused = refused || s.outcome == StepOutcome::Refused;
    }
    if (refused) return RefusedForRights(r) ? ListsHeadline::NeedsRights : ListsHeadline::Refused;
    return chosen ? ListsHeadline::NotAvailable : ListsHeadline::NothingChosen;
}

ReportTexts BuildListsReportTexts(const MemoryListsResult& result, FreeMemoryChange change, const ReportLanguage& lang) {
    ReportTexts t;
    const std::string* headlines[] = {&lang.listsDone, &lang.listsNeedRights, &lang.listsRefused,
                                      &lang.listsNotAvailable, &lang.listsNothingChosen};
    t.headline = *headlines[static_cast<int>(ListsHeadlineOf(result))];
    for (int i = 0; i < kMemoryListStepCount; ++i) {
        const MemoryListStepResult& s = result.steps[i];
        const std::string& name = lang.stepNames[i];
        switch (s.outcome) {
        case StepOutcome::NotRun: SetRow(t, i, name, lang.notRun, ""); break;
        case StepOutcome::NotAvailable: SetRow(t, i, name, lang.notAvailable, ""); break;
        case StepOutcome::Ran:
            if (static_cast<MemoryListStep>(i) == MemoryListStep::CombinePages)
                SetRow(t, i, name, std::to_string(result.pagesCombined), kPages);
            else
                SetRow(t, i, name, lang.ran, "");
            break;
        case StepOutcome::Partly: SetRow(t, i, name, lang.partly, StatusText(s.status)); break;
        case StepOutcome::Refused: SetRow(t, i, name, lang.refused, StatusText(s.status)); break;
        }
    }
    SetFreeMemoryRows(t, change, lang);
    return t;
}
