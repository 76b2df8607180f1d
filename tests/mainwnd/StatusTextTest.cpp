#include "mainwnd/StatusText.h"

#include <gtest/gtest.h>

#include "probes/MemoryStatus.h"

namespace {
SYSTEMTIME At(int hour, int minute, int second) {
    SYSTEMTIME t{};
    t.wYear = 2026;
    t.wMonth = 12;
    t.wDay = 6;
    t.wDayOfWeek = 0;  // Sunday
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    return t;
}
const std::vector<std::string> kDays = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
}  // namespace

TEST(ClockText, TwelveHourMarkerAndHour) {
    EXPECT_EQ(ClockText(At(12, 30, 5), true, kDays), " AM 12:30:05  12-06-2026  Sunday");
    EXPECT_EQ(ClockText(At(13, 0, 0), true, kDays), " PM 01:00:00  12-06-2026  Sunday");
    EXPECT_EQ(ClockText(At(0, 15, 0), true, kDays), " AM 00:15:00  12-06-2026  Sunday");
    EXPECT_EQ(ClockText(At(13, 0, 0), false, kDays), " 13:00:00  12-06-2026  Sunday");
}

TEST(ClockText, MissingWeekDayNamesLeaveTheNameEmpty) {
    EXPECT_EQ(ClockText(At(9, 1, 2), false, {}), " 09:01:02  12-06-2026    ");
}

TEST(StatusFigures, PercentFiguresAndGaugeDisagreeByRounding) {
    // The label rounds the free share; the gauge shows 100 minus the snapshot's truncated
    // percentage. Near a whole number the two part: 307 of 1024 MB free is 29.98 %.
    MemorySnapshot s{307, 1024, 0, 0};
    StatusFigures f = ComputeStatusFigures(s.AvailPhysMB, s.TotalPhysMB, 0, 0);
    EXPECT_EQ(PercentFigure("Free", PhysFree(f)), "Free:  30%");
    EXPECT_EQ(FreePhysPercent(s), 29);
    // Below the half they agree: 300 MB is 29.3 %.
    MemorySnapshot t{300, 1024, 0, 0};
    EXPECT_EQ(PercentFigure("Free", PhysFree(ComputeStatusFigures(t.AvailPhysMB, t.TotalPhysMB, 0, 0))), "Free:  29%");
    EXPECT_EQ(FreePhysPercent(t), 29);
}

TEST(ProcessorNameLine, CeleronKeepsTheQuickNameOthersTheIdentifiedOne) {
    const struct {
        const char* quick;
        const char* display;
        const char* line;
    } cases[] = {
        {"Intel Celeron(TM) ", "Celeron (Mendocino)", "- CPU: Intel Celeron(TM) "},
        {" \t\r\n Intel Celeron(TM)", "", "- CPU: Intel Celeron(TM)"},  // every leading blank goes
        {"      Intel(R) Pentium(R) 4 CPU", "Intel(R) Pentium(R) 4 CPU", "- CPU: Intel(R) Pentium(R) 4 CPU "},
        {"", "Unknown CPU", "- CPU: Unknown CPU "},
    };
    for (const auto& c : cases) EXPECT_EQ(ProcessorNameLine("CPU: ", c.quick, c.display), c.line) << c.quick;
}

TEST(StatusFigures, MegabyteModeWithAPageFile) {
    const std::uint64_t MB = 1048576;
    StatusFigures f = ComputeStatusFigures(400, 1024, 1536 * MB, 1000 * MB);
    EXPECT_EQ(MegabyteFigure("Page file", f.pageAvailMB), "Page file: 1000MB");
    EXPECT_EQ(f.allAvailMB, 1400);
    EXPECT_EQ(f.allTotalMB, 2560);
    EXPECT_EQ(PageFileBarValue(f), static_cast<int>(1024 * (1000.0 / 1536)));
    EXPECT_EQ(CombinedBarValue(f), static_cast<int>(1024 * (1400.0 / 2560)));
    TooltipLabels l{"CPU", "Used", "Page", "UsedMB", "PageMB"};
    EXPECT_EQ(TooltipText(false, l, 12, 39, f), "CPU:12%\nUsedMB:624MB\nPageMB:536MB");
    EXPECT_EQ(TooltipText(true, l, 12, 39, f), "CPU:12%\nUsed:61%\nPage:35%");
    EXPECT_EQ(TotalUsedLine("Total:", "Used:", f), "- Total:1024 MB  Used:624 MB");
}

TEST(StatusFigures, NoPageFileShowsNothingFreeInsteadOfDividingByZero) {
    StatusFigures f = ComputeStatusFigures(512, 1024, 0, 0);
    EXPECT_EQ(f.pageFree, 0.0);
    EXPECT_EQ(PercentFigure("Page", f.pageFree), "Page:   0%");
    EXPECT_EQ(PageFileBarValue(f), 0);
    EXPECT_EQ(CombinedBarValue(f), 512);
    StatusFigures none = ComputeStatusFigures(0, 0, 0, 0);
    EXPECT_EQ(PhysFree(none), 0.0);
    EXPECT_EQ(CombinedBarValue(none), 0);
}

TEST(AmountLabel, EighthsOfTotalAndAllOfItAtEight) {
    EXPECT_EQ(MegabyteText(1023 / 8), "127MB");
    EXPECT_EQ(MegabyteText(AmountMB(4, 1023)), "508MB");
    EXPECT_EQ(AmountMB(8, 1023), 1023);
    EXPECT_EQ(AmountMB(1, 1024), 128);
    EXPECT_EQ(LoadLine("Load:", 42), "- Load:  42% ");
}
