// A service that never leaves START_PENDING: the start gives up once its wait hint has
// passed without progress, through the service layer and through the window's Start button.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/RegistryKey.h"
#include "driver/RemoteList.h"
#include "driver/ProgramTest.h"
#include "driver/TestDriver.h"
#include "resource.h"
#include "svcmgr/ServiceApi.h"
#include "svcmgr/TestServices.h"

using namespace driver;

namespace {
const char kName[] = "TlntSvr";
const int kTelnetRow = 10;
const DWORD kWaitHintMs = 3000;
// Given up at the first poll past the hint: one pause (1 s for this hint) later at most,
// plus room for a busy machine.
const DWORD kBoundMs = kWaitHintMs + 1000 + 3000;

class StuckServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        KillStrays();
        KillStrays("svcmgr_test_service.exe");
        ASSERT_FALSE(testsvc::Install(kName, "Telnet", "stuck " + std::to_string(kWaitHintMs), SERVICE_DEMAND_START,
                                      nullptr)
                         .empty());
    }
    void TearDown() override {
        app_.Kill();
        // A pending service takes no stop: end its process, then the deletion completes.
        KillStrays("svcmgr_test_service.exe");
        EXPECT_TRUE(testsvc::Remove(kName));
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    }
    AppProcess app_;
};
}  // namespace

TEST_F(StuckServiceTest, TheServiceLayerGivesUpAfterTheWaitHint) {
    ServiceApi api;
    std::vector<std::string> reports;
    api.SetErrorSink([&](const char* text) { reports.push_back(text); });
    ASSERT_EQ(api.BindServiceApi(), 1);
    ASSERT_EQ(api.ConnectServiceManager(), 1);
    DWORD begun = GetTickCount();
    api.StartServiceAuto(kName);
    DWORD took = GetTickCount() - begun;
    EXPECT_GT(took, kWaitHintMs) << "gave up before the hint ran out";
    EXPECT_LT(took, kBoundMs);
    std::printf("stuck service: the start gave up after %lu ms (wait hint %lu ms)\n", static_cast<unsigned long>(took),
                static_cast<unsigned long>(kWaitHintMs));
    EXPECT_EQ(testsvc::State(kName), static_cast<DWORD>(SERVICE_START_PENDING));
    EXPECT_EQ(testsvc::StartType(kName), static_cast<DWORD>(SERVICE_AUTO_START));
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(),
              "\nService not started. \n  Current State: 2\n  Exit Code: 0\n  Service Specific Exit Code: 0\n"
              "  Check Point: 1\n  Wait Hint: 3000\n");
}

// The window blocks while it waits, by design: the check is the bound, the row it shows
// afterwards and that it answers again at once.
TEST_F(StuckServiceTest, TheWindowsStartButtonComesBackWithinTheBound) {
    SKIP_WITHOUT_RIGHTS();  // a start is refused there: ServiceWindowTest checks what is said
    ASSERT_TRUE(app_.Start(ProgramExe(), "/x"));
    HWND main = WaitForWindow("Mnemora", app_.Pid(), 20000);
    ASSERT_NE(main, nullptr);
    PostClick(main, IDC_SERVICEMG_BT);
    HWND box = WaitForMessageBox(app_.Pid(), 10000);
    ASSERT_NE(box, nullptr);
    AnswerMessageBox(box, IDOK);
    HWND wnd = WaitForWindow("Service manager", app_.Pid(), 20000);
    ASSERT_NE(wnd, nullptr);
    RemoteList list(GetDlgItem(wnd, IDC_SERVICE_LIST));
    ASSERT_TRUE(list.Ready());
    list.Click(kTelnetRow);
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(wnd, IDC_StartSEVONE_BT); }, 5000));

    DWORD begun = GetTickCount();
    Click(wnd, IDC_StartSEVONE_BT);  // returns when the handler has
    DWORD took = GetTickCount() - begun;
    EXPECT_GT(took, kWaitHintMs);
    EXPECT_LT(took, kBoundMs);
    std::printf("stuck service: the Start button's handler returned after %lu ms\n", static_cast<unsigned long>(took));
    EXPECT_EQ(list.Text(kTelnetRow, 1), "Starting");
    EXPECT_EQ(list.Image(kTelnetRow), 0);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer), 0);
    // Still usable: a click on another row explains that one.
    list.Click(0);
    EXPECT_TRUE(WaitUntil([&] { return list.Focused(0); }, 5000));
    PostClick(wnd, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(wnd); }, 5000));
}
