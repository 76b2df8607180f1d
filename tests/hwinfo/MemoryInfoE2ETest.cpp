// The memory-module window opened from the main window, fed by Wine's management service.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/RegistryKey.h"
#include "driver/TestDriver.h"
#include "hwinfo/WmiConnection.h"
#include "probes/OsVersion.h"
#include "resource.h"

using namespace driver;

TEST(MemoryInfoWindow, ShowsWineModuleWithUnknownForWhatIsMissing) {
    KillStrays();
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
    WriteSettingDword("OtherFunctionTips", 0);  // this tool opens without the warning anyway
    AppProcess app;
    ASSERT_TRUE(app.Start(ProgramExe(), "/x"));
    HWND main = WaitForWindow("Mnemora", app.Pid(), 20000);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ControlText(main, IDC_CLOCK).find(':') != std::string::npos; }, 5000));

    // The count and the first module's size, as the management service reports them.
    std::vector<std::string> capacity;
    {
        WmiConnection wmi;
        ASSERT_TRUE(wmi.Connect() && wmi.QueryProperty("Win32_PhysicalMemory", "Capacity", capacity));
        ASSERT_FALSE(capacity.empty());
    }
    // The 9x line has no memory-module window: CommandsTest.OnThe9xLine... checks what it says.
    if (IsWindows9x()) GTEST_SKIP() << "the 9x line has no memory-module window";
    const std::string count = std::to_string(capacity.size());
    const std::string size = std::to_string(std::stoll(capacity[0]) / 1048576) + " MB";
    for (int round = 0; round < 2; ++round) {  // a second opening connects again in the same process
        PostClick(main, IDC_MEMHDINFOBT);
        HWND wnd = WaitForWindow("Memory modules", app.Pid(), 10000);
        ASSERT_NE(wnd, nullptr) << round;
        EXPECT_EQ(WaitForMessageBox(app.Pid(), 0), nullptr);
        EXPECT_EQ(ControlText(wnd, IDC_STATICHD1), "Number of modules:");
        EXPECT_EQ(ControlText(wnd, IDC_MODULE_COUNT), count);
        EXPECT_EQ(ControlText(wnd, IDC_MODULE_SIZE), size);
        EXPECT_EQ(ControlText(wnd, IDC_MODULE_CHIP), "Unknown");  // TypeDetail is missing
        EXPECT_EQ(ControlText(wnd, IDC_MODULE_PACKAGE), "DIMM");
        EXPECT_EQ(ControlText(wnd, IDC_MODULE_STATUS), "OK");
        EXPECT_EQ(ControlText(wnd, IDC_MODULE_WIDTH), "");
        EXPECT_EQ(ControlText(wnd, IDC_MODULE_SERIAL), "Unknown");
        EXPECT_EQ(ControlText(wnd, IDC_MODULE_SPEED), "Unknown");
        if (round == 0) {
            Sleep(300);
            SaveScreenshot(ScreenshotDir() + "\\memory_modules.bmp");
            EXPECT_EQ(LayoutFaults(wnd, {IDC_MODULE_PICTURE}), "");
        }
        PostClick(wnd, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(wnd); }, 5000));
    }
    app.Kill();
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
}
