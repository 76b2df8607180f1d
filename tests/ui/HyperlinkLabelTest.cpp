#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "driver/TestDriver.h"
#include "ui/ControlTestHost.h"
#include "ui/HyperlinkLabel.h"

namespace {
TEST(HyperlinkReason, TextForEachResultCode) {
    EXPECT_EQ(HyperlinkReason(0), "The operating system is out\nof memory or resources.");
    EXPECT_EQ(HyperlinkReason(2), "The specified file was not found.");
    EXPECT_EQ(HyperlinkReason(26), "A sharing violation occurred. ");
    EXPECT_EQ(HyperlinkReason(30),
              "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.");
    EXPECT_EQ(HyperlinkReason(32), "The specified dynamic-link library was not found.");
    EXPECT_EQ(HyperlinkReason(4), "Unknown Error (4) occurred.");
    EXPECT_EQ(HyperlinkReason(-1), "Unknown Error (-1) occurred.");
}

TEST(HtmCommandLine, CutsAtThePlaceholderThenAppendsTheTarget) {
    EXPECT_EQ(HtmCommandLine("\"C:\\IE\\iexplore.exe\" \"%1\"", "http://x/"), "\"C:\\IE\\iexplore.exe\"  http://x/");
    EXPECT_EQ(HtmCommandLine("browser.exe %1 -new", "a.htm"), "browser.exe  a.htm");
    EXPECT_EQ(HtmCommandLine("browser.exe -nohome", "a.htm"), "browser.exe -nohome a.htm");
}

// Fake ways of opening, recording what was asked.
struct FakeOpeners {
    static int shellResult;
    static bool hasHtm;
    static std::string executed;
    static int execResult;
    static int Shell(const std::string&) { return shellResult; }
    static bool Htm(std::string* command) {
        if (hasHtm) *command = "browser.exe \"%1\"";
        return hasHtm;
    }
    static int Exec(const std::string& line) {
        executed = line;
        return execResult;
    }
    static void Reset(int shell, bool htm, int exec) {
        shellResult = shell;
        hasHtm = htm;
        execResult = exec;
        executed.clear();
    }
};
int FakeOpeners::shellResult = 0;
bool FakeOpeners::hasHtm = false;
std::string FakeOpeners::executed;
int FakeOpeners::execResult = 0;
const HyperlinkOpeners kFakes{FakeOpeners::Shell, FakeOpeners::Htm, FakeOpeners::Exec};

TEST(OpenHyperlink, ShellFirstThenTheHtmHandler) {
    FakeOpeners::Reset(42, true, 33);
    EXPECT_EQ(OpenHyperlink("http://x/", kFakes), 42);
    EXPECT_TRUE(FakeOpeners::executed.empty());

    FakeOpeners::Reset(31, false, 33);
    EXPECT_EQ(OpenHyperlink("http://x/", kFakes), 31);  // no handler: the shell's result stands
    EXPECT_TRUE(FakeOpeners::executed.empty());

    FakeOpeners::Reset(31, true, 2);
    EXPECT_EQ(OpenHyperlink("http://x/", kFakes), 2);
    EXPECT_EQ(FakeOpeners::executed, "browser.exe  http://x/");
}

TEST(FitLinkRect, KeepsTheAlignedEdgeAndTheVerticalCentre) {
    const RECT r{100, 50, 200, 80};
    const SIZE text{40, 10};
    RECT left = FitLinkRect(r, text, SS_LEFT);
    EXPECT_EQ(left.left, 100);
    EXPECT_EQ(left.right, 140);
    EXPECT_EQ(left.top, 50);
    EXPECT_EQ(left.bottom, 60);
    RECT centre = FitLinkRect(r, text, SS_CENTER | SS_CENTERIMAGE);
    EXPECT_EQ(centre.left, 130);
    EXPECT_EQ(centre.right, 170);
    EXPECT_EQ(centre.top, 60);
    EXPECT_EQ(centre.bottom, 70);
    RECT right = FitLinkRect(r, text, SS_RIGHT);
    EXPECT_EQ(right.left, 160);
    EXPECT_EQ(right.right, 200);
}

TEST(HyperlinkLabel, AttachTakesTheTextAsTargetUnderlinesAndFitsTheText) {
    testhost::Host host(300, 60);
    HWND stat = host.AddChild("Static", "www.example.org", SS_LEFT, {10, 10, 290, 40}, 1200);
    HyperlinkLabel link;
    ASSERT_TRUE(link.Attach(stat));
    EXPECT_EQ(link.Target(), "www.example.org");
    EXPECT_TRUE(GetWindowLongPtrA(stat, GWL_STYLE) & SS_NOTIFY);
    LOGFONTA lf{};
    ASSERT_TRUE(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(stat, WM_GETFONT, 0, 0)), sizeof lf, &lf));
    EXPECT_TRUE(lf.lfUnderline);
    RECT r{};
    GetWindowRect(stat, &r);
    MapWindowPoints(nullptr, host.Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 10);
    EXPECT_LT(r.right, 290);  // shrunk to the text
    EXPECT_GT(r.right, 20);
    EXPECT_EQ(link.CurrentColor(), RGB(0, 0, 238));
}

TEST(HyperlinkLabel, EmptyTextTakesTheTarget) {
    testhost::Host host(300, 60);
    HWND stat = host.AddChild("Static", "", SS_LEFT, {10, 10, 290, 40}, 1200);
    HyperlinkLabel link;
    link.SetTarget("mailto:someone@example.org");
    ASSERT_TRUE(link.Attach(stat));
    char text[64] = {};
    GetWindowTextA(stat, text, sizeof text);
    EXPECT_STREQ(text, "mailto:someone@example.org");
}

TEST(HyperlinkLabel, SuccessfulOpeningMarksTheLinkVisited) {
    testhost::Host host(300, 60);
    HWND stat = host.AddChild("Static", "home", SS_LEFT, {10, 10, 290, 40}, 1200);
    HyperlinkLabel link;
    link.SetOpeners(kFakes);
    ASSERT_TRUE(link.Attach(stat));
    FakeOpeners::Reset(42, false, 0);
    link.Open();
    EXPECT_TRUE(link.Visited());
    EXPECT_EQ(link.CurrentColor(), RGB(85, 26, 139));
    link.SetColors(RGB(1, 1, 1), RGB(2, 2, 2), RGB(3, 3, 3));
    EXPECT_EQ(link.CurrentColor(), RGB(2, 2, 2));
}

TEST(HyperlinkLabel, FailedOpeningExplainsInAMessageBoxAndStaysUnvisited) {
    testhost::Host host(300, 60);
    HWND stat = host.AddChild("Static", "home", SS_LEFT, {10, 10, 290, 40}, 1200);
    HyperlinkLabel link;
    link.SetOpeners(kFakes);
    ASSERT_TRUE(link.Attach(stat));
    FakeOpeners::Reset(2, false, 0);
    std::string boxText;
    std::thread answer([&] {
        HWND box = driver::WaitForMessageBox(GetCurrentProcessId(), 10000);
        if (!box) return;
        boxText = driver::MessageBoxText(box);
        driver::AnswerMessageBox(box, IDOK);
    });
    link.Open();  // returns once the box is answered
    answer.join();
    EXPECT_EQ(boxText, "Unable to open hyperlink:\n\nThe specified file was not found.");
    EXPECT_FALSE(link.Visited());
    EXPECT_EQ(link.CurrentColor(), RGB(0, 0, 238));
}
}  // namespace
