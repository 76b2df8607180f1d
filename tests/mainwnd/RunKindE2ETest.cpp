// The two kinds of run from every trigger, the run every so many minutes, and the choice where
// the system's memory lists cannot be emptied.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/SettingValues.h"
#include "driver/ProgramTest.h"
#include "driver/TestDriver.h"
#include "optimizer/OptimizeReportDialog.h"
#include "probes/OsVersion.h"
#include "resource.h"

using namespace driver;

namespace {
const char kListsHeadline[] = "The system's memory lists, step by step:";

class RunKindTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        WriteSettingDword(kBuildReport.name, 1);
        WriteSettingDword(kSliderPos.name, 1);
        WriteSettingDword(kAutoDefrag.name, 0);
    }
    // The report the next run shows: its headline, once it is closed.
    // The next report's headline; "(busy)" when the run was refused for a busy processor
    // (the refusal answered), "(no report)" when neither came.
    std::string NextReport() {
        HWND report = nullptr, box = nullptr;
        WaitUntil([&] {
            return (report = FindWindowOf("Optimization report", app_.Pid())) || (box = WaitForMessageBox(app_.Pid(), 0));
        }, 30000);
        if (!report && box && MessageBoxText(box).find("The processor is busy") == 0) {
            AnswerMessageBox(box, IDOK);
            WaitUntil([&] { return !IsWindow(box); }, 3000);
            return "(busy)";
        }
        if (!report) return "(no report)";
        std::string headline = ControlText(report, IDC_REPORT_HEADLINE);
        PostClick(report, IDOK);
        WaitUntil([&] { return !IsWindow(report); }, 5000);
        return headline;
    }
    // Posts a trigger and gives the report's headline, posting it again while a busy machine
    // refuses the run (the button and the hot key ask the processor first).
    std::string ReportAfter(HWND main, UINT message, WPARAM wp) {
        std::string headline = "(busy)";
        for (int attempt = 0; attempt < 10 && headline == "(busy)"; ++attempt) {
            if (attempt) Sleep(1000);
            PostMessageA(main, message, wp, 0);
            headline = NextReport();
        }
        return headline;
    }
};
}  // namespace

TEST_F(RunKindTest, ListsRunFromEveryTriggerAndTheOptimizationRunBack) {
    if (!IsVistaOrLater()) GTEST_SKIP() << "the memory lists are a Vista and later choice";
    SKIP_WITHOUT_RIGHTS();  // not offered there: TheListsChoiceSaysWhyItIsNotOffered
    WriteSettingDword(kRunKind.name, 1);
    HWND main = StartMain();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(IsEnabled(main, IDC_RUNKIND));
    EXPECT_EQ(ControlText(main, IDC_RUNKIND), "the system's memory lists");
    const struct {
        const char* trigger;
        UINT message;
        WPARAM wp;
    } kTriggers[] = {
        {"button", WM_COMMAND, MAKEWPARAM(IDC_LZL_BUTTON, BN_CLICKED)},
        {"hot key", WM_HOTKEY, 0x2006},
        {"tray", WM_COMMAND, ID_TRAY_OPTIMIZE},
    };
    for (const auto& t : kTriggers) {
        SCOPED_TRACE(t.trigger);
        EXPECT_EQ(ReportAfter(main, t.message, t.wp), kListsHeadline);
        EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_PERCENT) == "0 %"; }, 5000));
    }
    // The automatic run at the threshold, once.
    WriteSettingDword(kNoticeDialog.name, 0);
    WriteSettingDword(kRamAlertValue.name, 100);
    WriteSettingDword(kAutoDefrag.name, 1);
    HWND report = WaitForWindow("Optimization report", app_.Pid(), 30000);
    WriteSettingDword(kAutoDefrag.name, 0);
    ASSERT_NE(report, nullptr);
    EXPECT_EQ(ControlText(report, IDC_REPORT_HEADLINE), kListsHeadline);
    PostClick(report, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(report); }, 5000));

    // Chosen back and saved: the optimization run again, from the button.
    SendDlgItemMessageA(main, IDC_RUNKIND, CB_SETCURSEL, 0, 0);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_RUNKIND, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_RUNKIND)));
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_BUTTONSAVERAM); }, 3000));
    PostClick(main, IDC_BUTTONSAVERAM);
    AnswerNextBox(app_.Pid());
    EXPECT_EQ(ReadSettingDword(kRunKind.name, 99), 0u);
    std::string headline = ReportAfter(main, WM_COMMAND, MAKEWPARAM(IDC_LZL_BUTTON, BN_CLICKED));
    EXPECT_NE(headline, kListsHeadline);
    EXPECT_NE(headline.front(), '(');
}

// Minutes pass as seconds in the test build (its clock runs 120 times as fast).
TEST_F(RunKindTest, ARunEveryMinuteAsksFirstWhenAsked) {
    WriteSettingDword(kRunInterval.name, 1);
    WriteSettingDword(kNoticeDialog.name, 0);
    ScopedEnv fast("MNEMORA_CLOCK_SPEED", "120");
    HWND main = StartMain("/x", TestProgramDir() + "\\Ramvane.exe");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ControlText(main, IDC_INTERVAL), "1");
    EXPECT_NE(NextReport(), "(no report)");
    // With the question on, the next minute asks; "Not now" waits a whole minute again.
    WriteSettingDword(kNoticeDialog.name, 1);
    HWND query = WaitForWindow("Free memory is low", app_.Pid(), 20000);
    ASSERT_NE(query, nullptr);
    PostClick(query, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(query); }, 5000));
    Sleep(250);
    EXPECT_EQ(FindWindowOf("Free memory is low", app_.Pid()), nullptr);
    WriteSettingDword(kRunInterval.name, 0);
}

// Where the memory lists cannot be emptied the choice is shown but not offered, and says why.
TEST_F(RunKindTest, TheListsChoiceSaysWhyItIsNotOffered) {
    ScopedEnv asUser("MNEMORA_AS_USER", "1");
    HWND main = StartMain("/x", TestProgramDir() + "\\Ramvane.exe");
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsEnabled(main, IDC_RUNKIND));
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_RUNKIND_LABEL, STN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(main, IDC_RUNKIND_LABEL)));
    std::string why = AnswerNextBox(app_.Pid());
    EXPECT_NE(why.find(IsVistaOrLater() ? "administrator rights" : "Windows Vista"), std::string::npos) << why;
}
