#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/RegistryKey.h"
#include "driver/ProgramTest.h"
#include "driver/RemoteList.h"
#include "driver/TestDriver.h"
#include "resource.h"
#include "svcmgr/KnownServices.h"
#include "svcmgr/TestServices.h"

using namespace driver;

namespace {
const char kTitle[] = "Service manager";
const char kTelnetText[] = "Lets a remote user log on and run programs from a command line.";
const char kGuide[] = "What this service does: ";
const char kFirstGuide[] =
    "Choose a service to read what it does. Start makes it start with Windows from now on; Stop makes it start only "
    "when a program asks for it.";
const int kTelnetRow = 10, kClipBookRow = 13;

// What a service of the table was before the test, so start all and stop all can be undone.
struct Before {
    const char* name;
    DWORD startType;
    DWORD state;
};

class ServiceWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        KillStrays();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
        for (const KnownService& s : KnownServices)
            if (testsvc::Exists(s.serviceName) && !Ours(s.serviceName))
                before_.push_back({s.serviceName, testsvc::StartType(s.serviceName), testsvc::State(s.serviceName)});
        telnetCommand_ = testsvc::Install("TlntSvr", "Telnet", "1000", SERVICE_DEMAND_START, kTelnetText);
        ASSERT_FALSE(telnetCommand_.empty());
        // ClipBook fails as it starts: it stays stopped.
        ASSERT_FALSE(testsvc::Install("ClipSrv", "ClipBook", "fail", SERVICE_DEMAND_START, nullptr).empty());
    }
    void TearDown() override {
        app_.Kill();
        EXPECT_TRUE(testsvc::Remove("TlntSvr"));
        EXPECT_TRUE(testsvc::Remove("ClipSrv"));
        for (const Before& b : before_) {
            testsvc::SetStartType(b.name, b.startType);
            if (b.state == SERVICE_STOPPED && testsvc::State(b.name) != SERVICE_STOPPED)
                testsvc::Control(b.name, SERVICE_CONTROL_STOP);
        }
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    }
    static bool Ours(const char* name) { return std::string(name) == "TlntSvr" || std::string(name) == "ClipSrv"; }

    // Opens the window from the main window's button, past the warning.
    HWND OpenFromMainWindow(const std::string& exe = ProgramExe()) {
        EXPECT_TRUE(app_.Start(exe, "/x"));
        HWND main = WaitForWindow("Mnemora", app_.Pid(), 20000);
        if (!main) return nullptr;
        EXPECT_TRUE(WaitUntil([&] { return ControlText(main, IDC_CLOCK).find(':') != std::string::npos; }, 5000));
        PostClick(main, IDC_SERVICEMG_BT);
        HWND box = WaitForMessageBox(app_.Pid(), 5000);
        if (!box) return nullptr;
        EXPECT_EQ(MessageBoxText(box),
                  "This tool changes system settings. Continue only if you know what the changes do.");
        AnswerMessageBox(box, IDOK);
        return WaitForWindow(kTitle, app_.Pid(), 20000);
    }

    AppProcess app_;
    std::string telnetCommand_;
    std::vector<Before> before_;
};
}  // namespace

TEST_F(ServiceWindowTest, FifteenRowsStartAndStopOneAndAll) {
    HWND wnd = OpenFromMainWindow();
    ASSERT_NE(wnd, nullptr);
    RemoteList list(GetDlgItem(wnd, IDC_SERVICE_LIST));
    ASSERT_TRUE(list.Ready());
    EXPECT_EQ(RoundedFrameMismatch(wnd), "");

    // The table, in its order, whether a service is installed or not.
    ASSERT_EQ(list.Count(), kKnownServiceCount);
    for (int k = 0; k < kKnownServiceCount; ++k) EXPECT_EQ(list.Text(k, 0), KnownServices[k].displayName) << k;
    EXPECT_EQ(list.Text(kTelnetRow, 1), "Stopped");
    EXPECT_EQ(list.Image(kTelnetRow), 0);
    EXPECT_EQ(list.Text(kTelnetRow, 2), kTelnetText);
    EXPECT_EQ(list.Text(kTelnetRow, 3), telnetCommand_);
    // The state column holds its text at any scaling: its width is given for 96 DPI.
    EXPECT_GE(SendDlgItemMessageA(wnd, IDC_SERVICE_LIST, LVM_GETCOLUMNWIDTH, 1, 0), DialogTextWidth("Stopped") + 12);
    // Alerter is not installed: no description, and no other service's command.
    EXPECT_EQ(list.Text(12, 1), "Stopped");
    EXPECT_EQ(list.Text(12, 2), "");
    EXPECT_EQ(list.Text(12, 3), "");
    EXPECT_EQ(ControlText(wnd, IDC_STATICSERVICESM), kFirstGuide);
    EXPECT_FALSE(IsEnabled(wnd, IDC_StartSEVONE_BT));
    EXPECT_FALSE(IsEnabled(wnd, IDC_STOPSEVONE_BT));
    EXPECT_TRUE(IsEnabled(wnd, IDC_StartSEVALL_BT));
    EXPECT_TRUE(IsEnabled(wnd, IDC_STOPSEVALL_BT));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(wnd, IDC_STARTSYSSEVBT)));
    EXPECT_FALSE(IsEnabled(wnd, IDC_STARTSYSSEVBT));

    // A click on a row explains it and offers the buttons for one service.
    list.Click(kTelnetRow);
    ASSERT_TRUE(
        WaitUntil([&] { return IsEnabled(wnd, IDC_StartSEVONE_BT) && IsEnabled(wnd, IDC_STOPSEVONE_BT); }, 5000));
    EXPECT_EQ(ControlText(wnd, IDC_STATICSERVICESM), std::string(kGuide) + kTelnetText);
    SKIP_WITHOUT_RIGHTS();

    // Start waits until the service runs and makes it automatic.
    Click(wnd, IDC_StartSEVONE_BT);
    EXPECT_EQ(testsvc::State("TlntSvr"), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(testsvc::StartType("TlntSvr"), static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(list.Text(kTelnetRow, 1), "Running");
    EXPECT_EQ(list.Image(kTelnetRow), 1);
    Sleep(300);
    SaveScreenshot(ScreenshotDir() + "\\service_manager.bmp");
    EXPECT_EQ(LayoutFaults(wnd), "");

    // The refresh left no row chosen: stop and start of one service do nothing.
    for (int k = 0; k < kKnownServiceCount; ++k) ASSERT_FALSE(list.Focused(k)) << k;
    Click(wnd, IDC_STOPSEVONE_BT);
    EXPECT_EQ(testsvc::StartType("TlntSvr"), static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(testsvc::State("TlntSvr"), static_cast<DWORD>(SERVICE_RUNNING));

    // Paused, it shows the not-running picture.
    ASSERT_TRUE(testsvc::Control("TlntSvr", SERVICE_CONTROL_PAUSE));
    ASSERT_TRUE(testsvc::WaitForState("TlntSvr", SERVICE_PAUSED));
    // A refresh took the focus from the row: click it again.
    EXPECT_FALSE(list.Focused(kTelnetRow));
    list.Click(kTelnetRow);
    ASSERT_TRUE(WaitUntil([&] { return list.Focused(kTelnetRow); }, 5000));
    Click(wnd, IDC_StartSEVONE_BT);  // refused by the running service; the list is read again
    EXPECT_EQ(list.Text(kTelnetRow, 1), "Paused");
    EXPECT_EQ(list.Image(kTelnetRow), 0);

    list.Click(kTelnetRow);
    ASSERT_TRUE(WaitUntil([&] { return list.Focused(kTelnetRow); }, 5000));
    Click(wnd, IDC_STOPSEVONE_BT);
    EXPECT_TRUE(testsvc::WaitForState("TlntSvr", SERVICE_STOPPED));
    EXPECT_EQ(testsvc::StartType("TlntSvr"), static_cast<DWORD>(SERVICE_DEMAND_START));
    Click(wnd, IDC_StartSEVONE_BT);  // no row chosen since that refresh
    EXPECT_EQ(testsvc::StartType("TlntSvr"), static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(testsvc::State("TlntSvr"), static_cast<DWORD>(SERVICE_STOPPED));

    // All fifteen: the disabled Telnet is made automatic first, so it runs; ClipBook fails to
    // start but is automatic now.
    ASSERT_TRUE(testsvc::SetStartType("TlntSvr", SERVICE_DISABLED));
    Click(wnd, IDC_StartSEVALL_BT);
    EXPECT_EQ(testsvc::State("TlntSvr"), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(testsvc::StartType("TlntSvr"), static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(testsvc::State("ClipSrv"), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(testsvc::StartType("ClipSrv"), static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(list.Text(kTelnetRow, 1), "Running");
    EXPECT_EQ(list.Text(kClipBookRow, 1), "Stopped");
    EXPECT_EQ(list.Image(kClipBookRow), 0);

    // Stop all: Telnet stops and starts on demand; the stopped ClipBook refuses and stays automatic.
    Click(wnd, IDC_STOPSEVALL_BT);
    EXPECT_TRUE(testsvc::WaitForState("TlntSvr", SERVICE_STOPPED));
    EXPECT_EQ(testsvc::StartType("TlntSvr"), static_cast<DWORD>(SERVICE_DEMAND_START));
    EXPECT_EQ(testsvc::StartType("ClipSrv"), static_cast<DWORD>(SERVICE_AUTO_START));
    ASSERT_EQ(list.Count(), kKnownServiceCount);

    PostClick(wnd, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(wnd); }, 5000));
    EXPECT_NE(FindWindowOf("Mnemora", app_.Pid()), nullptr);
}

// A user without administrator rights sees every state; a start or stop that Windows refuses
// is said, and changes nothing.
TEST_F(ServiceWindowTest, WithoutAdministratorRightsStatesShowAndAChangeIsRefusedAloud) {
    ScopedEnv asUser("MNEMORA_AS_USER", "1");
    HWND wnd = OpenFromMainWindow(TestProgramDir() + "\\Ramvane.exe");
    ASSERT_NE(wnd, nullptr);
    RemoteList list(GetDlgItem(wnd, IDC_SERVICE_LIST));
    ASSERT_TRUE(list.Ready());
    ASSERT_EQ(list.Count(), kKnownServiceCount);
    EXPECT_EQ(list.Text(kTelnetRow, 1), "Stopped");
    EXPECT_EQ(list.Text(kTelnetRow, 2), kTelnetText);
    for (int button : {IDC_StartSEVONE_BT, IDC_STOPSEVALL_BT}) {
        list.Click(kTelnetRow);
        ASSERT_TRUE(WaitUntil([&] { return list.Focused(kTelnetRow); }, 5000));
        PostClick(wnd, button);
        EXPECT_EQ(AnswerNextBox(app_.Pid(), IDOK, 20000),
                  "Windows refused to change the service. Starting and stopping services needs administrator "
                  "rights; start Mnemora as an administrator.")
            << button;
    }
    EXPECT_EQ(testsvc::State("TlntSvr"), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(testsvc::StartType("TlntSvr"), static_cast<DWORD>(SERVICE_DEMAND_START));
}

// Where the system lacks an entry point the window explains it and never appears.
TEST(ServiceWindowRefusal, WhereAnEntryPointIsMissing) {
    AppProcess host_;
    ASSERT_TRUE(host_.Start(std::string(MNEMORA_BINARY_DIR) + "\\tools\\svcmgr_host\\svcmgr_window_host.exe",
                            "QueryServiceConfig2A"));
    HWND box = WaitForMessageBox(host_.Pid(), 10000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowTitle(box), "Mnemora");
    EXPECT_EQ(MessageBoxText(box), "This function needs Windows NT, 2000 or XP.");
    HWND wnd = FindWindowOf(kTitle, host_.Pid());
    EXPECT_FALSE(wnd && IsWindowVisible(wnd));
    AnswerMessageBox(box, IDOK);
    DWORD code = 0;
    ASSERT_TRUE(host_.WaitExit(10000, &code));
    EXPECT_EQ(code, static_cast<DWORD>(IDOK));
}
