#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <regex>
#include <string>
#include <vector>

#include "app/RegistryKey.h"
#include "driver/ProgramTest.h"
#include "resource.h"

using namespace driver;

namespace {
class MainWindowTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        WriteSettingDword("BuildReport", 0);
    }
    static RECT Rect(HWND wnd) {
        RECT r;
        GetWindowRect(wnd, &r);
        return r;
    }
    static LONG Width(const RECT& r) { return r.right - r.left; }
    static LONG Height(const RECT& r) { return r.bottom - r.top; }
    // The controls that draw themselves: colour labels, bars, gauge and chart.
    static std::vector<int> DrawnControls() {
        return {IDC_TITLE1, IDC_TITLE2, IDC_TITLE4, IDC_PERCENT, IDC_CLOCKCAPTION, IDC_CLOCK, IDC_CPUNAME,
                IDC_CPUMHZ, IDC_CPULOAD, IDC_CPUNUMBER, IDC_MEMTOTAL, IDC_PAGEFILE_TEXT, IDC_VIRTUAL_TEXT,
                IDC_PHYSICAL_TEXT, IDC_PAGEFILE_BAR, IDC_VIRTUAL_BAR, IDC_PHYSICAL_BAR, IDC_PROGRESS_BAR, IDC_GAUGE,
                5469};
    }
    // Starts a manual run from the tray command (no processor-load check).
    void RunFromTray(HWND main) { PostMessageA(main, WM_COMMAND, ID_TRAY_OPTIMIZE, 0); }
};
}  // namespace

TEST_F(MainWindowTest, StartsCompactAndTheTabButtonTogglesTheLowerHalf) {
    HWND main = StartMain();
    ASSERT_NE(main, nullptr);
    RECT compact = Rect(main);
    EXPECT_EQ(ControlText(main, IDC_TAB_BUTTON), "Advanced >>");
    SaveScreenshot(ScreenshotDir() + "\\main_compact.bmp");
    EXPECT_EQ(LayoutFaults(main, DrawnControls()), "");
    Click(main, IDC_TAB_BUTTON);
    RECT full = Rect(main);
    EXPECT_EQ(full.bottom - full.top, 2 * (compact.bottom - compact.top) + (full.bottom - full.top) % 2);
    EXPECT_EQ(full.right - full.left, compact.right - compact.left);
    EXPECT_EQ(ControlText(main, IDC_TAB_BUTTON), "<< Compact");
    // Expanding centres the whole window on the screen.
    EXPECT_NEAR(full.left + (full.right - full.left) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(full.top + (full.bottom - full.top) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    Sleep(600);
    SaveScreenshot(ScreenshotDir() + "\\main_expanded.bmp");
    EXPECT_EQ(LayoutFaults(main, DrawnControls()), "");
    Click(main, IDC_TAB_BUTTON);
    RECT again = Rect(main);
    EXPECT_EQ(again.bottom - again.top, compact.bottom - compact.top);
    EXPECT_EQ(again.left, full.left);
    EXPECT_EQ(again.top, full.top);

    // Moved to a monitor of 4/3 the scaling, and back: the window takes the suggested
    // rectangle, its controls and their texts grow with it, and it comes back as it was.
    const int dpi = ScreenDpi(), moved = dpi * 4 / 3;
    RECT button;
    GetClientRect(GetDlgItem(main, IDC_LZL_BUTTON), &button);
    const LONG text = Height(DrawnExtent(GetDlgItem(main, IDC_MEMTOTAL)));
    RECT suggested = ScaledWindowRect(main, dpi, moved);
    ASSERT_TRUE(SendDpiChanged(main, moved, suggested));
    RECT grown = Rect(main);
    EXPECT_TRUE(EqualRect(&grown, &suggested));
    RECT bigger;
    GetClientRect(GetDlgItem(main, IDC_LZL_BUTTON), &bigger);
    EXPECT_NEAR(bigger.right, button.right * 4 / 3, 1);
    EXPECT_NEAR(bigger.bottom, button.bottom * 4 / 3, 1);
    Sleep(600);
    EXPECT_EQ(LayoutFaults(main, DrawnControls()), "");
    EXPECT_GE(Height(DrawnExtent(GetDlgItem(main, IDC_MEMTOTAL))) * 5, text * 6);
    ASSERT_TRUE(SendDpiChanged(main, dpi, ScaledWindowRect(main, moved, dpi)));
    RECT back = Rect(main);
    EXPECT_NEAR(Width(back), Width(compact), 2);
    EXPECT_NEAR(Height(back), Height(compact), 2);
}

TEST_F(MainWindowTest, FiguresAndClockRefreshEveryHalfSecond) {
    HWND main = StartMain();
    ASSERT_NE(main, nullptr);
    const std::regex clockFormat(R"( \d\d:\d\d:\d\d  \d\d-\d\d-\d{4}  \w+day)");
    std::string clock;
    EXPECT_TRUE(WaitUntil([&] { return std::regex_match(clock = ControlText(main, IDC_CLOCK), clockFormat); }, 3000))
        << clock;
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_CLOCK) != clock; }, 2500));
    EXPECT_TRUE(std::regex_match(ControlText(main, IDC_PHYSICAL_TEXT), std::regex(R"(Physical memory free: \d+MB)")))
        << ControlText(main, IDC_PHYSICAL_TEXT);
    EXPECT_TRUE(std::regex_match(ControlText(main, IDC_MEMTOTAL), std::regex(R"(- Total:\d+ MB  Used:\d+ MB)")));
    EXPECT_TRUE(std::regex_match(ControlText(main, IDC_CPULOAD), std::regex(R"(- Load:  \d+% )")));
    EXPECT_TRUE(std::regex_match(ControlText(main, IDC_CPUNUMBER), std::regex(R"(- Processors:\d+)")));
    EXPECT_TRUE(std::regex_match(ControlText(main, IDC_CPUMHZ), std::regex(R"(- Clock: (\d+ MHz|Unknown))")));
    EXPECT_EQ(ControlText(main, IDC_PERCENT), "0 %");
    if (!RightsRefused()) {
        EXPECT_EQ(ReadSettingString("CPUMHz").empty(), false);
    }
}

TEST_F(MainWindowTest, PresetAndSliderFromTheStoredSettings) {
    WriteSettingDword("UserType", 4);
    WriteSettingDword("SliderPos", 8);
    HWND main = StartMain();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(IsEnabled(main, IDC_SLIDER));
    EXPECT_EQ(SendMessageA(GetDlgItem(main, IDC_SLIDER), TBM_GETPOS, 0, 0), 8);
    // At 8 the amount is all of T, not 8 x (T / 8).
    EXPECT_EQ(ControlText(main, IDC_AMOUNT), ControlText(main, IDC_SLIDER_MAX));
    int total = std::atoi(ControlText(main, IDC_SLIDER_MAX).c_str());
    EXPECT_EQ(std::atoi(ControlText(main, IDC_SLIDER_MIN).c_str()), total / 8);
}

TEST_F(MainWindowTest, ChoosingAPresetMovesTheSlider) {
    HWND main = StartMain();
    ASSERT_NE(main, nullptr);
    EXPECT_FALSE(IsEnabled(main, IDC_BUTTONSAVERAM));
    HWND combo = GetDlgItem(main, IDC_USERTYPE);
    int total = std::atoi(ControlText(main, IDC_SLIDER_MAX).c_str());
    const int positions[] = {1, 2, 4, 6, 8};
    for (int preset = 0; preset < 5; ++preset) {
        SendMessageA(combo, CB_SETCURSEL, preset, 0);
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(IDC_USERTYPE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        EXPECT_EQ(SendMessageA(GetDlgItem(main, IDC_SLIDER), TBM_GETPOS, 0, 0), positions[preset]);
        EXPECT_EQ(IsEnabled(main, IDC_SLIDER), preset == 4);
        int amount = preset == 4 ? total : positions[preset] * (total / 8);
        EXPECT_EQ(ControlText(main, IDC_AMOUNT), std::to_string(amount) + "MB");
    }
    EXPECT_TRUE(IsEnabled(main, IDC_BUTTONSAVERAM));
}

TEST_F(MainWindowTest, ManualRunShowsProgressThenTheReportThenRests) {
    WriteSettingDword("BuildReport", 1);
    WriteSettingDword("SliderPos", 1);
    HWND main = StartMain();
    ASSERT_NE(main, nullptr);
    RunFromTray(main);
    ASSERT_TRUE(WaitUntil([&] { return ControlText(main, IDC_PERCENT) != "0 %"; }, 3000));
    EXPECT_FALSE(IsEnabled(main, IDC_LZL_BUTTON));
    EXPECT_FALSE(IsEnabled(main, IDC_SERVICEMG_BT));
    Sleep(700);
    SaveScreenshot(ScreenshotDir() + "\\main_running.bmp");
    HWND report = WaitForWindow("Optimization report", app_.Pid(), 30000);
    ASSERT_NE(report, nullptr);
    Sleep(300);
    SaveScreenshot(ScreenshotDir() + "\\report.bmp");
    EXPECT_EQ(ControlText(report, IDOK), "OK");
    EXPECT_EQ(RoundedFrameMismatch(report), "");
    EXPECT_EQ(LayoutFaults(report), "");
    // Either the gain layout (four rows, the last in pages) or the no-gain one (headline).
    if (ControlText(report, IDC_REPORT_HEADLINE).empty()) {
        EXPECT_EQ(ControlText(report, IDC_REPORT_LABEL1), "Free physical memory");
        EXPECT_EQ(ControlText(report, IDC_REPORT_UNIT1), "Kbytes");
        EXPECT_EQ(ControlText(report, IDC_REPORT_UNIT4), "pages");
        long gainKB = std::atol(ControlText(report, IDC_REPORT_VALUE3).c_str());
        long pages = std::atol(ControlText(report, IDC_REPORT_VALUE4).c_str());
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        EXPECT_EQ(pages, gainKB * 1024 / static_cast<long>(si.dwPageSize));
    } else {
        EXPECT_EQ(ControlText(report, IDC_REPORT_HEADLINE), "Physical memory was already as free as it gets.");
        EXPECT_EQ(ControlText(report, IDC_REPORT_LABEL1), "Optimization report");
        EXPECT_EQ(ControlText(report, IDC_REPORT_UNIT2), "Kbytes");
    }
    // Both layouts: free memory before and after, read the same way, and the signed change.
    EXPECT_EQ(ControlText(report, IDC_REPORT_LABEL5), "Free before the run");
    EXPECT_EQ(ControlText(report, IDC_REPORT_LABEL7), "Change in free memory");
    EXPECT_EQ(ControlText(report, IDC_REPORT_UNIT7), "Kbytes");
    long long before = std::atoll(ControlText(report, IDC_REPORT_VALUE5).c_str());
    long long after = std::atoll(ControlText(report, IDC_REPORT_VALUE6).c_str());
    EXPECT_GT(before, 0);
    EXPECT_EQ(std::atoll(ControlText(report, IDC_REPORT_VALUE7).c_str()), after - before);
    int freeRow = ControlText(report, IDC_REPORT_HEADLINE).empty() ? IDC_REPORT_VALUE1 : IDC_REPORT_VALUE2;
    EXPECT_EQ(std::atoll(ControlText(report, freeRow).c_str()), after);  // one reading, shown twice
    EXPECT_EQ(ControlText(main, IDC_PERCENT), "100%");
    PostClick(report, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_PERCENT) == "0 %"; }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_LZL_BUTTON); }, 5000));
}

TEST_F(MainWindowTest, RunEmptiesTheClipboardWhenAsked) {
    WriteSettingDword("SliderPos", 1);
    for (int clean = 0; clean < 2; ++clean) {
        WriteSettingDword("CleanClipBoard", clean);
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 6);
        memcpy(GlobalLock(text), "hello", 6);
        GlobalUnlock(text);
        SetClipboardData(CF_TEXT, text);
        CloseClipboard();
        HWND main = StartMain();
        ASSERT_NE(main, nullptr);
        // The silent save at start wrote the window's own value back: set it again.
        WriteSettingDword("CleanClipBoard", clean);
        RunFromTray(main);
        ASSERT_TRUE(WaitUntil([&] { return ControlText(main, IDC_PERCENT) != "0 %"; }, 3000));
        ASSERT_TRUE(WaitUntil([&] { return ControlText(main, IDC_PERCENT) == "0 %"; }, 30000));
        EXPECT_EQ(IsClipboardFormatAvailable(CF_TEXT) != FALSE, clean == 0) << "CleanClipBoard " << clean;
        app_.Kill();
    }
}
