#include "procmgr/ProcessRows.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/ResourceText.h"
#include "app/TextUtil.h"
#include "ui/FileIcon.h"
#include "procmgr/ProcessList.h"
#include "procmgr/ProcessMonitor.h"
#include "probes/OsVersion.h"

const ListColumn kProcessColumns[4] = {
    {"PLISTITEM1", 240, LVCFMT_LEFT},
    {"PLISTITEM2", 0, LVCFMT_CENTER},
    {"PLISTITEM3", 100, LVCFMT_CENTER},
    {"strModePro", 150, LVCFMT_CENTER},
};

namespace {
const char kSystemService[] = "System Service";
const char kMemoryManager[] = "Memory Manager";
const char kYes[] = "Yes";
// Below this working set a process counts as saving energy whatever the monitor did.
const double kSmallWorkingSetMB = 1.4;

ListRow RowFor(const ProcessFacts& f, bool windows9x, const std::string& queryErrorText) {
    ListRow row;
    row.cells.resize(4);
    row.image = f.image;
    row.data = static_cast<LPARAM>(f.id);
    row.cells[0] = NormalizeImagePath(f.path);
    row.cells[1] = ProcessIdText(f.id);
    if (windows9x) {
        row.cells[2] = queryErrorText;
    } else if (IsOwnImage(f.path)) {
        row.cells[2] = kMemoryManager;
    } else {
        double m = f.workingSetMB;
        row.cells[2] = WorkingSetUnread(f, windows9x) ? kSystemService : WorkingSetText(m);
        if (f.energySaved || m < kSmallWorkingSetMB) row.cells[3] = kYes;
    }
    return row;
}
}  // namespace

std::string ProcessIdText(DWORD id) {
    char text[16];
    std::snprintf(text, sizeof text, "%8lX", static_cast<unsigned long>(id));
    return text;
}

std::string WorkingSetText(double megabytes) {
    char text[64];
    std::snprintf(text, sizeof text, "%-5.2f MB", megabytes);
    return text;
}

bool IsOwnImage(const std::string& path) { return Contains(Upper(path), "RAMVANE"); }

bool WorkingSetUnread(const ProcessFacts& f, bool windows9x) {
    return !windows9x && !IsOwnImage(f.path) && f.workingSetMB == 0.0;
}

std::vector<ListRow> ProcessRows(const std::vector<ProcessFacts>& facts, bool windows9x,
                                 const std::string& queryErrorText) {
    std::vector<ListRow> rows;
    rows.reserve(facts.size());
    for (const ProcessFacts& f : facts) rows.push_back(RowFor(f, windows9x, queryErrorText));
    return rows;
}

bool FillProcessList(ListView& view, ProcessList& list, const ProcessMonitor& monitor,
                     std::vector<ProcessFacts>* factsOut) {
    if (!list.Refresh()) {
        view.Clear();
        if (factsOut) factsOut->clear();
        return false;
    }
    bool windows9x = IsWindows9x();
    std::vector<ProcessFacts> facts(list.ProcessIds.size());
    for (size_t k = 0; k < facts.size(); ++k) {
        ProcessFacts& f = facts[k];
        f.id = list.ProcessIds[k];
        f.path = list.ImagePaths[k];
        // The 9x line has no working-set reading; our own row shows a label instead.
        if (!windows9x && !IsOwnImage(f.path)) {
            // Read through the enumeration's handle; one that failed there fails again, and
            // shows as unread.
            if (k < list.WorkingSetsMB.size())
                f.workingSetMB = std::max(0.0, list.WorkingSetsMB[k]);
            else
                QueryWorkingSetMB(f.id, f.workingSetMB);
        }
        // By process, not by position: the monitor's list may differ from this one.
        f.energySaved = monitor.EnergySaved(f.id);
    }
    view.SetRows(ProcessRows(facts, windows9x, windows9x ? Lang("strMemStatusQueryError") : std::string()));
    if (factsOut) *factsOut = std::move(facts);
    return true;
}

void AnswerIconRequest(LPARAM lp, const ProcessList& list, FileIconCache& icons) {
    icons.AnswerImageRequest(lp, list.ImagePaths.size(), [&](size_t k) { return list.ImagePaths[k]; });
}

TerminateRefusal TerminateRefusalFor(const ProcessFacts& f, bool windows9x) {
    std::string upper = Upper(f.path);
    if (Contains(upper, "\\EXPLORER") || Contains(upper, "KERNEL32") || Contains(upper, "MPREXE.EXE"))
        return TerminateRefusal::SystemProcess;
    if (Contains(upper, "RAMVANE")) return TerminateRefusal::Ourselves;
    if (WorkingSetUnread(f, windows9x)) return TerminateRefusal::SystemProcess;
    return TerminateRefusal::None;
}
