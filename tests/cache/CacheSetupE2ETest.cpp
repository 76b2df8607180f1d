// The cache settings window opened from the main window, against the prefix's registry.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/RegistryKey.h"
#include "cache/CacheRegistry.h"
#include "cache/CacheTables.h"
#include "cache/CacheTestValues.h"
#include "driver/ProgramTest.h"
#include "driver/TestDriver.h"
#include "hwinfo/MemoryModules.h"
#include "resource.h"

using namespace driver;
using cachetest::Set;
using cachetest::Value;

namespace {
const char kTitle[] = "Cache settings";
const char kSaved[] = "The cache settings have been saved. They take effect after the next restart.";
const char kRestored[] =
    "The cache settings found before the first change have been restored. They take effect after the next restart.";

LRESULT SliderPos(HWND wnd, int id) { return SendDlgItemMessageA(wnd, id, TBM_GETPOS, 0, 0); }

// The disk slider's end for the installed memory as the program reads it.
int HighestHere() { return HighestDiskPosition(InstalledMemoryMB()); }
// The size label of a disk position: 4 MB doubled at each step.
std::string DiskLabel(int position) { return std::to_string(4 << position) + "MB"; }

class CacheSetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        KillStrays();
        Clean();
        Set(kMemoryManagementKeyPath, "IOPageLockLimit", 3333);
        Set(kMemoryManagementKeyPath, "LargeSystemCache", 1);
        // The save creates CDFS below FileSystem, which every Windows has and a fresh Wine
        // prefix lacks until something creates it.
        RegistryKey fileSystem;
        ASSERT_EQ(fileSystem.Open(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control"), ERROR_SUCCESS);
        ASSERT_EQ(fileSystem.Create("FileSystem"), ERROR_SUCCESS);
        WriteSettingDword("OtherFunctionTips", 0);  // the tool warning comes first
    }
    void TearDown() override {
        app_.Kill();
        Clean();
    }
    static void Clean() {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKeyPath);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kCdfsKeyPath);
        RegistryKey memory;
        if (memory.Open(HKEY_LOCAL_MACHINE, kMemoryManagementKeyPath) == ERROR_SUCCESS)
            for (const char* name : {"IOPageLockLimit", "LargeSystemCache", "ClearPageFileAtShutdown"})
                memory.DeleteValue(name);
    }
    void StartMain() {
        ASSERT_TRUE(app_.Start(ProgramExe(), "/x"));
        main_ = WaitForWindow("Mnemora", app_.Pid(), 20000);
        ASSERT_NE(main_, nullptr);
        ASSERT_TRUE(WaitUntil([&] { return ControlText(main_, IDC_CLOCK).find(':') != std::string::npos; }, 5000));
    }
    // The cache button (or the tray command), its warning answered, and the window it opens.
    HWND Open(bool fromTray = false) {
        if (fromTray)
            PostMessageA(main_, WM_COMMAND, ID_TRAY_CACHE, 0);
        else
            PostClick(main_, IDC_BUTTONOT1);
        Answer("Mnemora", "This tool changes system settings. Continue only if you know what the changes do.");
        return WaitForWindow(kTitle, app_.Pid(), 10000);
    }
    void Answer(const std::string& caption, const std::string& text) {
        HWND box = WaitForMessageBox(app_.Pid(), 5000);
        ASSERT_NE(box, nullptr) << "no box saying: " << text;
        EXPECT_EQ(WindowTitle(box), caption);
        EXPECT_EQ(MessageBoxText(box), text);
        AnswerMessageBox(box, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 5000));
    }
    bool Closed(HWND wnd) { return WaitUntil([&] { return !IsWindow(wnd); }, 5000); }

    AppProcess app_;
    HWND main_ = nullptr;
};

TEST_F(CacheSetupTest, SaveRestoreAndCancel) {
    SKIP_WITHOUT_RIGHTS();
    StartMain();
    HWND wnd = Open();
    ASSERT_NE(wnd, nullptr);
    // No stored position: the disk slider at the end the installed memory allows.
    const int highest = HighestHere();
    ASSERT_GE(highest, 2) << "a machine of less than 128 MB";
    EXPECT_EQ(Value(kProgramKeyPath, "CacheBackupBOOL"), 1);
    EXPECT_EQ(Value(kProgramKeyPath, "IOPageLockLimit"), 3333);
    EXPECT_EQ(SliderPos(wnd, IDC_HDCACHE_SLIDER), highest);
    EXPECT_EQ(ControlText(wnd, IDC_HDCACHE_VALUE), DiskLabel(highest));
    EXPECT_EQ(ControlText(wnd, IDC_HDCACHE_MIN), "4 MB");
    EXPECT_EQ(ControlText(wnd, IDC_HDCACHE_MAX), std::to_string(4 << highest) + " MB");
    EXPECT_EQ(SliderPos(wnd, IDC_CDCACHE_SLIDER), 0);
    EXPECT_EQ(ControlText(wnd, IDC_CDCACHE_VALUE), "CD/DVD-ROM 228KB");
    EXPECT_EQ(ControlText(wnd, IDC_BUTTONSURECACHE), "Save");
    Sleep(300);
    SaveScreenshot(ScreenshotDir() + "\\cache_settings.bmp");
    EXPECT_EQ(LayoutFaults(wnd), "");

    // A key moves the slider and its label with it.
    PressKey(GetDlgItem(wnd, IDC_HDCACHE_SLIDER), VK_LEFT);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(wnd, IDC_HDCACHE_VALUE) == DiskLabel(highest - 1); }, 3000));

    SendDlgItemMessageA(wnd, IDC_HDCACHE_SLIDER, TBM_SETPOS, TRUE, 2);
    PostClick(wnd, IDC_BUTTONSURECACHE);
    Answer("Mnemora", kSaved);
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "IOPageLockLimit"), 4000);
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "LargeSystemCache"), 1);
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "ClearPageFileAtShutdown"), -1);
    EXPECT_EQ(Value(kCdfsKeyPath, "CacheSize"), 619);
    EXPECT_EQ(Value(kCdfsKeyPath, "Prefetch"), 228);
    EXPECT_EQ(Value(kCdfsKeyPath, "PrefetchTail"), 228);
    EXPECT_EQ(Value(kProgramKeyPath, "HDUSEValue"), 2);
    EXPECT_EQ(Value(kProgramKeyPath, "CDUSEValue"), 0);
    EXPECT_EQ(ControlText(wnd, IDC_HDCACHE_VALUE), "16MB");

    PostClick(wnd, IDC_RESTORECACHE_BUTTON);
    Answer("Mnemora", kRestored);
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "IOPageLockLimit"), 3333);
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "LargeSystemCache"), 0);
    EXPECT_EQ(Value(kProgramKeyPath, "HDUSEValue"), -1);
    EXPECT_EQ(Value(kProgramKeyPath, "CDUSEValue"), -1);
    EXPECT_EQ(SliderPos(wnd, IDC_HDCACHE_SLIDER), highest);
    EXPECT_EQ(Value(kProgramKeyPath, "IOPageLockLimit"), 3333);  // the backup stays

    // Esc writes nothing, not even a ticked page-file box.
    SendDlgItemMessageA(wnd, IDC_PAGECLEAN_CHECK, BM_SETCHECK, BST_CHECKED, 0);
    PostMessageA(wnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_TRUE(Closed(wnd));
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "ClearPageFileAtShutdown"), -1);
}

// Stored positions past the tables, the page-file box on Close, and its state read back.
TEST_F(CacheSetupTest, OutOfRangePositionsAndClose) {
    WriteSettingDword("HDUSEValue", 9);
    WriteSettingDword("CDUSEValue", 0xFFFFFFFF);
    StartMain();
    HWND wnd = Open();
    ASSERT_NE(wnd, nullptr);
    // The slider stops at its end; the label shows the stored size, read as the table's last.
    EXPECT_EQ(SliderPos(wnd, IDC_HDCACHE_SLIDER), HighestHere());
    EXPECT_EQ(ControlText(wnd, IDC_HDCACHE_VALUE), "64MB");
    EXPECT_EQ(SliderPos(wnd, IDC_CDCACHE_SLIDER), 3);
    EXPECT_EQ(ControlText(wnd, IDC_CDCACHE_VALUE), "DVD-RW 4128KB");
    EXPECT_FALSE(IsChecked(wnd, IDC_PAGECLEAN_CHECK));
    SKIP_WITHOUT_RIGHTS();
    SendDlgItemMessageA(wnd, IDC_PAGECLEAN_CHECK, BM_SETCHECK, BST_CHECKED, 0);
    PostClick(wnd, IDOK);
    EXPECT_TRUE(Closed(wnd));
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "ClearPageFileAtShutdown"), 1);
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "IOPageLockLimit"), 3333);  // Close saves nothing else

    wnd = Open(true);
    ASSERT_NE(wnd, nullptr);
    EXPECT_TRUE(IsChecked(wnd, IDC_PAGECLEAN_CHECK));
    SendDlgItemMessageA(wnd, IDC_PAGECLEAN_CHECK, BM_SETCHECK, BST_UNCHECKED, 0);
    PostClick(wnd, IDOK);
    EXPECT_TRUE(Closed(wnd));
    EXPECT_EQ(Value(kMemoryManagementKeyPath, "ClearPageFileAtShutdown"), -1);
}
}  // namespace
