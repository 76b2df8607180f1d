// The process manager's rows and its termination rule, from plain data.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "procmgr/ProcessMonitor.h"
#include "procmgr/ProcessRows.h"

namespace {
ProcessFacts Facts(const char* path, DWORD id, double mb, int flag = 0) {
    ProcessFacts f;
    f.path = path;
    f.id = id;
    f.image = static_cast<int>(id % 7);
    f.workingSetMB = mb;
    f.energySaved = flag;
    return f;
}
}  // namespace

TEST(ProcessRows, ColumnsFollowTheRules) {
    const struct {
        ProcessFacts facts;
        const char* program;
        const char* id;
        const char* memory;
        const char* saving;
    } cases[] = {
        {Facts("C:\\x\\y.exe", 255, 12.3456), "C:\\x\\y.exe", "      FF", "12.35 MB", ""},
        {Facts("C:\\x\\y.exe", 0x1A2B3C4D, 2.5), "C:\\x\\y.exe", "1A2B3C4D", "2.50  MB", ""},
        // Under 1.4 MB a process counts as saving energy whatever the monitor did.
        {Facts("C:\\x\\y.exe", 8, 1.39), "C:\\x\\y.exe", "       8", "1.39  MB", "Yes"},
        {Facts("C:\\x\\y.exe", 8, 1.4), "C:\\x\\y.exe", "       8", "1.40  MB", ""},
        {Facts("C:\\x\\y.exe", 8, 300.0, 1), "C:\\x\\y.exe", "       8", "300.00 MB", "Yes"},
        // An unreadable working set reads 0.0: a system process.
        {Facts("C:\\x\\y.exe", 4, 0.0), "C:\\x\\y.exe", "       4", "System Service", "Yes"},
        // The application's own row is labelled, not measured.
        {Facts("C:\\Tools\\ramvane.EXE", 9, 0.0, 1), "C:\\Tools\\ramvane.EXE", "       9", "Memory Manager", ""},
        {Facts("\\??\\C:\\WINDOWS\\system32\\winlogon.exe", 5, 3.0), "C:\\WINDOWS\\system32\\winlogon.exe", "       5",
         "3.00  MB", ""},
    };
    for (const auto& c : cases) {
        std::vector<ListRow> rows = ProcessRows({c.facts}, false, "unused");
        ASSERT_EQ(rows.size(), 1u);
        const ListRow& row = rows[0];
        SCOPED_TRACE(c.facts.path);
        ASSERT_EQ(row.cells.size(), 4u);
        EXPECT_EQ(row.cells[0], c.program);
        EXPECT_EQ(row.cells[1], c.id);
        EXPECT_EQ(row.cells[2], c.memory);
        EXPECT_EQ(row.cells[3], c.saving);
        EXPECT_EQ(row.data, static_cast<LPARAM>(c.facts.id));
        EXPECT_EQ(row.image, c.facts.image);
    }
}

TEST(ProcessRows, NinetyXLineShowsTheGivenTextAndNoSaving) {
    std::vector<ListRow> rows = ProcessRows({Facts("C:\\WINDOWS\\x.exe", 1, 0.0, 1)}, true, "Not available");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].cells[2], "Not available");
    EXPECT_EQ(rows[0].cells[3], "");
}

TEST(ProcessRows, RowsPastTheMonitorTablesFollowTheSameRules) {
    // The flags name their process, which may stand past the monitor's 100 positions here.
    std::vector<ProcessFacts> facts(kMonitorPositions + 3, Facts("C:\\x\\y.exe", 1, 5.0));
    facts[kMonitorPositions].workingSetMB = 0.5;
    facts[kMonitorPositions + 1].energySaved = 1;
    std::vector<ListRow> rows = ProcessRows(facts, false, "");
    ASSERT_EQ(rows.size(), facts.size());
    EXPECT_EQ(rows[kMonitorPositions].cells[3], "Yes");
    EXPECT_EQ(rows[kMonitorPositions + 1].cells[3], "Yes");
    EXPECT_EQ(rows[kMonitorPositions + 2].cells[3], "");
    EXPECT_EQ(rows[kMonitorPositions].cells[2], "0.50  MB");
}

TEST(TerminateRefusal, ShellSystemAndOwnProcessesAreRefused) {
    using R = TerminateRefusal;
    const struct {
        const char* path;
        double workingSetMB;  // 0.0: could not be read
        bool windows9x;
        R refusal;
    } cases[] = {
        {"C:\\WINDOWS\\explorer.exe", 9.0, false, R::SystemProcess},
        {"c:\\windows\\Explorer.EXE", 9.0, false, R::SystemProcess},
        {"C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL", 1.0, true, R::SystemProcess},
        {"C:\\WINDOWS\\SYSTEM\\mprexe.exe", 1.0, true, R::SystemProcess},
        {"C:\\Tools\\Ramvane.exe", 0.0, false, R::Ourselves},
        // A shell name wins over our own.
        {"C:\\Ramvane\\explorer.exe", 1.0, false, R::SystemProcess},
        // An unread working set marks a system process; the 9x line reads none.
        {"C:\\x\\y.exe", 0.0, false, R::SystemProcess},
        {"C:\\x\\y.exe", 0.0, true, R::None},
        {"C:\\x\\y.exe", 3.0, false, R::None},
        // Only a folder or file starting with "explorer" counts, not the word inside a name.
        {"C:\\x\\iexplorer.exe", 3.0, false, R::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TerminateRefusalFor(Facts(c.path, 1, c.workingSetMB), c.windows9x), c.refusal) << c.path;
}
