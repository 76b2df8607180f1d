#include "optimizer/AllocationPlan.h"

#include <gtest/gtest.h>

#include "optimizer/ReportText.h"
#include "optimizer/RunFigures.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace {
const std::uint64_t MB = 1048576;
}

TEST(StepBytes, EighthsOfPhysicalMemory) {
    EXPECT_EQ(StepBytes(8, 1024 * MB), 1024 * MB);
    EXPECT_EQ(StepBytes(1, 1024 * MB), 128 * MB);
    EXPECT_EQ(StepBytes(0, 1024 * MB), 0u);
    EXPECT_EQ(StepBytes(7, 2047 * MB), static_cast<std::uint64_t>(7 * 0.125 * 2047 * MB));
    EXPECT_NEAR(static_cast<double>(StepBytes(7, 2047 * MB)) / MB, 1791, 1);
}

TEST(StepBytes, CutsBlocksAbove2000MBTo1024MB) {
    EXPECT_EQ(StepBytes(8, 2047 * MB), 1024 * MB);
    EXPECT_EQ(StepBytes(8, 2000 * MB), 2000 * MB);  // exactly 2,000 MB stays
    EXPECT_EQ(StepBytes(8, 2000 * MB + 8), 1024 * MB);
    EXPECT_EQ(StepBytes(8, 16384 * MB), 1024 * MB);
}

TEST(AutoLevel, SixEighthsBelow75PercentFree) {
    EXPECT_EQ(AutoLevel(74), 6);
    EXPECT_EQ(AutoLevel(75), 4);
    EXPECT_EQ(AutoLevel(80), 4);
}

TEST(ProgressText, ManualAndAutomaticSteps) {
    const char* manual[] = {" 14%", " 29%", " 43%", " 57%", " 71%", " 86%", "100%"};
    for (int tick = 1; tick <= 7; ++tick) EXPECT_EQ(ProgressText(ManualProgressPercent(tick)), manual[tick - 1]);
    EXPECT_EQ(ProgressText(AutoProgressPercent(1)), " 25%");
    EXPECT_EQ(ProgressText(AutoProgressPercent(3)), " 50%");
}

namespace {
ReportLanguage Language() {
    ReportLanguage l;
    for (int i = 0; i < 5; ++i) l.report[i] = "R" + std::to_string(i + 1);
    for (int i = 0; i < kMemoryListStepCount; ++i) l.stepNames[i] = "S" + std::to_string(i + 1);
    l.zljy1 = "Z1", l.zljy2 = "Z2", l.freeBefore = "Before", l.freeAfter = "After", l.freeChange = "Change";
    l.ran = "done", l.partly = "partly", l.refused = "refused", l.notAvailable = "n/a", l.notRun = "not chosen";
    l.listsDone = "H-done";
    return l;
}
// A row as "label|value|unit".
std::string Row(const ReportTexts& t, int row) { return t.cells[row][0] + "|" + t.cells[row][1] + "|" + t.cells[row][2]; }
}  // namespace

TEST(ReportText, GainRowsAndMagnitudeOfALossThenTheSignedChangeOfFreeMemory) {
    // Free memory fell by 3 MB: the gain rows keep the magnitude, the change row says the loss.
    ReportTexts t = BuildReportTexts(-3, 4096, 500000, 1048576, false, Language(), {503072 * MB / 1024, 500000 * MB / 1024});
    EXPECT_EQ(t.headline, "");
    EXPECT_EQ(Row(t, 0), "R2|500000|Kbytes");
    EXPECT_EQ(Row(t, 1), "R3|1048576|Kbytes");
    EXPECT_EQ(Row(t, 2), "R4|3072|Kbytes");
    EXPECT_EQ(Row(t, 3), "R5|768|pages");
    EXPECT_EQ(Row(t, 4), "Before|503072|Kbytes");
    EXPECT_EQ(Row(t, 5), "After|500000|Kbytes");
    EXPECT_EQ(Row(t, 6), "Change|-3072|Kbytes");
    // Bytes below a whole Kbyte count on neither side.
    t = BuildReportTexts(1, 4096, 0, 0, false, Language(), {1023, 1024 * 1025 + 1023});
    EXPECT_EQ(Row(t, 4), "Before|0|Kbytes");
    EXPECT_EQ(Row(t, 6), "Change|+1025|Kbytes");
}

TEST(ReportText, ZeroGainLayoutByWhoStartedTheRunStillShowsTheFreeMemoryRows) {
    ReportTexts manual = BuildReportTexts(0, 4096, 10, 20, false, Language(), {10240, 10240});
    EXPECT_EQ(manual.headline, "Z1");
    EXPECT_EQ(Row(manual, 0), "R1||");
    EXPECT_EQ(Row(manual, 1), "R2|10|Kbytes");
    EXPECT_EQ(Row(manual, 2), "R3|20|Kbytes");
    EXPECT_EQ(Row(manual, 3), "||");
    EXPECT_EQ(Row(manual, 6), "Change|0|Kbytes");
    EXPECT_EQ(BuildReportTexts(0, 4096, 10, 20, true, Language(), {}).headline, "Z2");
}

namespace {
MemoryListsResult Result(std::initializer_list<MemoryListStepResult> steps,
                         PrivilegeOutcome privilege = PrivilegeOutcome::Enabled) {
    MemoryListsResult r;
    int i = 0;
    for (const MemoryListStepResult& s : steps) r.steps[i++] = s;
    r.privilege = privilege;
    return r;
}
const MemoryListStepResult kRan{StepOutcome::Ran, 0};
const MemoryListStepResult kNotHeld{StepOutcome::Refused, kStatusPrivilegeNotHeld};
const MemoryListStepResult kDenied{StepOutcome::Refused, kStatusAccessDenied};
const MemoryListStepResult kNotImplemented{StepOutcome::Refused, kStatusNotImplemented};
const MemoryListStepResult kPartly{StepOutcome::Partly, kStatusAccessDenied};
const MemoryListStepResult kMissing{StepOutcome::NotAvailable, 0};
const MemoryListStepResult kNotRun{};
}  // namespace

TEST(ReportText, ListsHeadlineClaimsWhatRanAndNamesTheMissingRights) {
    struct Case {
        MemoryListsResult result;
        ListsHeadline headline;
    } cases[] = {
        {Result({kRan, kRan, kRan, kRan}), ListsHeadline::Done},
        {Result({kNotHeld, kNotHeld, kPartly, kNotHeld}), ListsHeadline::Done},  // part of a list is something
        {Result({kNotHeld, kNotHeld, kNotHeld, kMissing}), ListsHeadline::NeedsRights},
        {Result({kDenied, kNotRun, kNotRun, kNotRun}), ListsHeadline::NeedsRights},
        {Result({kNotImplemented, kNotImplemented, kNotImplemented, kMissing}), ListsHeadline::Refused},
        {Result({kNotImplemented, kNotRun, kNotRun, kNotRun}, PrivilegeOutcome::NotHeld), ListsHeadline::NeedsRights},
        {Result({kMissing, kMissing, kMissing, kMissing}, PrivilegeOutcome::Untouched), ListsHeadline::NotAvailable},
        {Result({kNotRun, kNotRun, kNotRun, kNotRun}, PrivilegeOutcome::Untouched), ListsHeadline::NothingChosen},
    };
    for (const Case& c : cases) EXPECT_EQ(ListsHeadlineOf(c.result), c.headline) << &c - cases;
}

TEST(ReportText, ListsRowsSayEachStepsOutcomeWithTheStatusOfARefusal) {
    MemoryListsResult r = Result({kNotHeld, kPartly, kMissing, kRan});
    r.pagesCombined = 4321;
    ReportTexts t = BuildListsReportTexts(r, {2048 * 1024, 1024 * 1024}, Language());
    EXPECT_EQ(t.headline, "H-done");
    EXPECT_EQ(Row(t, 0), "S1|refused|C0000061");
    EXPECT_EQ(Row(t, 1), "S2|partly|C0000022");
    EXPECT_EQ(Row(t, 2), "S3|n/a|");
    EXPECT_EQ(Row(t, 3), "S4|4321|pages");
    EXPECT_EQ(Row(t, 6), "Change|-1024|Kbytes");
    EXPECT_EQ(Row(BuildListsReportTexts(Result({kRan, kNotRun}), {}, Language()), 0), "S1|done|");
}

TEST(SettledMemoryStatus, ReadsUntilTwoReadingsAgreeWithinAMegabyteOrTheLimit) {
    // Free MB read in turn, and how many readings it takes; 1 MB of movement counts as settled.
    const std::vector<std::uint64_t> cases[] = {{100, 101}, {100, 200, 260, 261}, {300, 200, 200},
                                                {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110}};
    const size_t reads[] = {2, 4, 3, kMostSettleReadings};
    for (int c = 0; c < 4; ++c) {
        size_t n = 0, waits = 0;
        MemoryStatusBytes last = SettledMemoryStatus(
            [&] {
                MemoryStatusBytes s;
                s.AvailPhys = cases[c][n++] * MB;
                return s;
            },
            [&](DWORD ms) { waits += ms == kSettleIntervalMs; });
        EXPECT_EQ(n, reads[c]) << c;
        EXPECT_EQ(waits, n - 1) << c;
        EXPECT_EQ(last.AvailPhys, cases[c][n - 1] * MB) << c;
    }
}
