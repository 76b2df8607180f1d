#include "optimizer/AllocationPlan.h"

#include <gtest/gtest.h>

#include "optimizer/ReportText.h"

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

TEST(ReportText, GainRowsAndMagnitudeOfALoss) {
    ReportLanguage lang{{"R1", "R2", "R3", "R4", "R5"}, "Z1", "Z2"};
    ReportTexts t = BuildReportTexts(-3, 4096, 500000, 1048576, false, lang);
    EXPECT_EQ(t.headline, "");
    EXPECT_EQ(t.cells[0][0], "R2");
    EXPECT_EQ(t.cells[0][1], "500000");
    EXPECT_EQ(t.cells[1][1], "1048576");
    EXPECT_EQ(t.cells[2][1], "3072");
    EXPECT_EQ(t.cells[2][2], "Kbytes");
    EXPECT_EQ(t.cells[3][0], "R5");
    EXPECT_EQ(t.cells[3][1], "768");
    EXPECT_EQ(t.cells[3][2], "pages");
}

TEST(ReportText, ZeroGainLayoutByWhoStartedTheRun) {
    ReportLanguage lang{{"R1", "R2", "R3", "R4", "R5"}, "Z1", "Z2"};
    ReportTexts manual = BuildReportTexts(0, 4096, 10, 20, false, lang);
    EXPECT_EQ(manual.headline, "Z1");
    EXPECT_EQ(manual.cells[0][0], "R1");
    EXPECT_EQ(manual.cells[0][1], "");
    EXPECT_EQ(manual.cells[1][0], "R2");
    EXPECT_EQ(manual.cells[1][1], "10");
    EXPECT_EQ(manual.cells[2][1], "20");
    EXPECT_EQ(manual.cells[3][0], "");
    EXPECT_EQ(BuildReportTexts(0, 4096, 10, 20, true, lang).headline, "Z2");
}
