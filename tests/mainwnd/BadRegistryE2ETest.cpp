// Values of the wrong type or size wherever the program reads the registry: its own key, the
// Run keys, the memory-manager and CD file-system values. Each start must live and show the
// default or what it could read. Every value put here is put back as it was.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/RegistryKey.h"
#include "cache/CacheRegistry.h"
#include "driver/RemoteList.h"
#include "driver/ProgramTest.h"
#include "resource.h"

using namespace driver;

namespace {
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunDisabledKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run-";
const char kRunServicesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const char kExplorerKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const char kCpuKey[] = "Hardware\\Description\\System\\CentralProcessor\\0";

// One stored value as raw bytes.
struct RawValue {
    HKEY root;
    const char* path;
    const char* name;
    DWORD type;
    std::string bytes;
};

std::string Dword(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), sizeof v); }
std::string Terminated(const std::string& text) { return text + '\0'; }
const std::string kBinary300(300, '\x01');
const std::string kLongText = Terminated(std::string(10000, 'p'));

// The value's type and bytes; false when it cannot be read.
bool ReadRaw(HKEY root, const char* path, const char* name, DWORD& type, std::string& bytes) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        bytes.assign(size, '\0');
        status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size);
        bytes.resize(size);
    }
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

// A REG_DWORD as a number, -1 when it is missing or of another type or size.
long long StoredNumber(HKEY root, const char* path, const char* name) {
    DWORD type = 0;
    std::string bytes;
    if (!ReadRaw(root, path, name, type, bytes) || type != REG_DWORD || bytes.size() != 4) return -1;
    return *reinterpret_cast<const DWORD*>(bytes.data());
}

// Puts values and keeps the first state of each, which Restore writes back.
class RegistryPatch {
public:
    RegistryPatch() = default;
    RegistryPatch(const RegistryPatch&) = delete;
    RegistryPatch& operator=(const RegistryPatch&) = delete;
    ~RegistryPatch() { Restore(); }

    bool Put(const RawValue& v) {
        Saved s{v.root, v.path, v.name, false, 0, std::string()};
        s.existed = ReadRaw(v.root, v.path, v.name, s.type, s.bytes);
        bool known = false;
        for (const Saved& k : saved_) known |= k.root == s.root && k.path == s.path && k.name == s.name;
        if (!known) saved_.push_back(s);
        return Write(v.root, v.path, v.name, v.type, v.bytes);
    }
    void Restore() {
        for (auto s = saved_.rbegin(); s != saved_.rend(); ++s) {
            if (s->existed) {
                Write(s->root, s->path.c_str(), s->name.c_str(), s->type, s->bytes);
            } else {
                HKEY key = nullptr;
                if (RegOpenKeyExA(s->root, s->path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) continue;
                RegDeleteValueA(key, s->name.c_str());
                RegCloseKey(key);
            }
        }
        saved_.clear();
    }

private:
    struct Saved {
        HKEY root;
        std::string path, name;
        bool existed;
        DWORD type;
        std::string bytes;
    };
    static bool Write(HKEY root, const char* path, const char* name, DWORD type, const std::string& bytes) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return false;
        LONG status = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                     static_cast<DWORD>(bytes.size()));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
    std::vector<Saved> saved_;
};

// What a control shows: a check box's state or a text.
enum class Shows { Checked, Unchecked, Text };
struct ShownRow {
    RawValue value;
    int control;
    Shows shows;
    const char* text;  // for Shows::Text
};

class BadRegistryTest : public ProgramTest {
protected:
    void TearDown() override {
        app_.Kill();
        patch_.Restore();
        ProgramTest::TearDown();
    }
    void PutAll(const std::vector<RawValue>& values) {
        for (const RawValue& v : values) ASSERT_TRUE(patch_.Put(v)) << v.path << "\\" << v.name;
    }
    void PutRows(const std::vector<ShownRow>& rows) {
        for (const ShownRow& row : rows) ASSERT_TRUE(patch_.Put(row.value)) << row.value.name;
    }
    static void ExpectShown(HWND wnd, const std::vector<ShownRow>& rows) {
        for (const ShownRow& row : rows) {
            switch (row.shows) {
            case Shows::Checked: EXPECT_TRUE(IsChecked(wnd, row.control)) << row.value.name; break;
            case Shows::Unchecked: EXPECT_FALSE(IsChecked(wnd, row.control)) << row.value.name; break;
            case Shows::Text: EXPECT_EQ(ControlText(wnd, row.control), row.text) << row.value.name; break;
            }
        }
    }
    void StartMain() {
        main_ = ProgramTest::StartMain();
        ASSERT_NE(main_, nullptr);
    }
    bool Alive() const { return app_.Running() && IsWindow(main_); }
    // Opens a tool window by a main-window command (no tools warning: OtherFunctionTips is 1).
    HWND OpenTool(int command, const char* title) {
        PostMessageA(main_, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
        return WaitForWindow(title, app_.Pid(), 10000);
    }
    static bool Cancel(HWND wnd) {
        PostMessageA(wnd, WM_COMMAND, IDCANCEL, 0);
        return WaitUntil([&] { return !IsWindow(wnd); }, 5000);
    }

    HWND main_ = nullptr;
    RegistryPatch patch_;
};
}  // namespace

TEST_F(BadRegistryTest, MainWindowShowsDefaultsForOwnValuesOfTheWrongTypeOrSize) {
    auto own = [](const char* name, DWORD type, const std::string& bytes) {
        return RawValue{HKEY_LOCAL_MACHINE, kProgramKeyPath, name, type, bytes};
    };
    const std::vector<ShownRow> rows = {
        // A text's bytes are no number: "0" would read as 0x30, on.
        {own("AutoDefrag", REG_SZ, Terminated("0")), IDC_CHECKAUTODEFRAG, Shows::Unchecked, nullptr},
        {own("SoundAlert", REG_BINARY, kBinary300), IDC_CHECKSOUND, Shows::Checked, nullptr},
        {own("CleanClipBoard", REG_DWORD, ""), IDC_CHECKCLIPBOARD, Shows::Checked, nullptr},
        // One byte is a number that can be read.
        {own("BuildReport", REG_BINARY, std::string(1, '\0')), IDC_CHECKLOG, Shows::Unchecked, nullptr},
        {own("DisableLogo", REG_BINARY, "\x01"), IDC_CHECKLOGONWND, Shows::Checked, nullptr},
        {own("RamAlertValue", REG_DWORD, Dword(0xFFFFFFFF)), IDC_RAMALERT, Shows::Text, "10"},
        {own("NoticeDialog", REG_MULTI_SZ, std::string("1\0\0", 3)), IDC_CHECKAUTODEFRAGTIP, Shows::Checked, nullptr},
        {own("OtherFunctionTips", REG_SZ, kLongText), IDC_CHECKALERTNOTICE, Shows::Unchecked, nullptr},
        {own("Perch", REG_MULTI_SZ, std::string("1\0\0", 3)), IDC_CHECKPERCENT, Shows::Unchecked, nullptr},
        {own("HotKey", REG_DWORD, Dword('Q')), IDC_HOTKEY, Shows::Text, "C"},
        {{HKEY_LOCAL_MACHINE, kRunKey, "Ramvane", REG_DWORD, Dword(1)}, IDC_CHECKAUTORUN, Shows::Unchecked, nullptr},
    };
    PutRows(rows);
    PutAll({own("UserType", REG_DWORD, Dword(7)), own("SliderPos", REG_DWORD, Dword(0xFFFFFFFF)),
            own("CPUMHz", REG_DWORD, Dword(500)), own("ShowStatus", REG_SZ, kLongText),
            {HKEY_LOCAL_MACHINE, kCpuKey, "~MHz", REG_DWORD, Dword(0xFFFFFFFF)}});

    StartMain();  // visible: ShowStatus could not be read as 0
    ExpectShown(main_, rows);
    // An index past the preset list: the default preset, also in what the silent save stored.
    EXPECT_EQ(SendDlgItemMessageA(main_, IDC_USERTYPE, CB_GETCURSEL, 0, 0), 2);
    if (!RightsRefused()) {
        EXPECT_EQ(StoredNumber(HKEY_LOCAL_MACHINE, kProgramKeyPath, "UserType"), 2);
        EXPECT_EQ(StoredNumber(HKEY_LOCAL_MACHINE, kProgramKeyPath, "RamAlertValue"), 10);
    }
    LRESULT slider = SendDlgItemMessageA(main_, IDC_SLIDER, TBM_GETPOS, 0, 0);
    EXPECT_TRUE(slider >= 1 && slider <= 8) << slider;
    EXPECT_EQ(ControlText(main_, IDC_AMOUNT).find('-'), std::string::npos) << ControlText(main_, IDC_AMOUNT);
    // The clock, stored as a number, and a hardware figure past any processor: measured anew.
    std::string clock = ControlText(main_, IDC_CPUMHZ);
    EXPECT_TRUE(clock.size() > 4 && (clock.substr(clock.size() - 4) == " MHz" || clock.find("Unknown") != std::string::npos))
        << clock;
    EXPECT_EQ(clock.find("-1 MHz"), std::string::npos) << clock;
    EXPECT_TRUE(Alive());
    SKIP_WITHOUT_RIGHTS();
    DWORD type = 0;
    std::string stored;
    EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kProgramKeyPath, "CPUMHz", type, stored));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST_F(BadRegistryTest, StartupAndProcessWindowsListOnlyWhatWindowsWouldRead) {
    auto run = [](const char* path, const char* name, DWORD type, const std::string& bytes) {
        return RawValue{HKEY_LOCAL_MACHINE, path, name, type, bytes};
    };
    PutAll({
        {HKEY_LOCAL_MACHINE, kProgramKeyPath, "OtherFunctionTips", REG_DWORD, Dword(1)},
        {HKEY_LOCAL_MACHINE, kProgramKeyPath, "AutoRefresh", REG_SZ, Terminated("1")},
        {HKEY_LOCAL_MACHINE, kExplorerKey, "AlwaysUnloadDLL", REG_DWORD, Dword('1')},
        run(kRunKey, "MnBadDword", REG_DWORD, Dword(1)),
        run(kRunKey, "MnBadBinary", REG_BINARY, kBinary300),
        run(kRunKey, "MnBadMulti", REG_MULTI_SZ, std::string("a.exe\0\0", 7)),
        run(kRunKey, "MnBadEmpty", REG_SZ, ""),
        run(kRunKey, "MnBadNoNul", REG_SZ, "nonul.exe"),
        run(kRunKey, "MnBadLong", REG_SZ, kLongText),  // listed; its text is past what the driver reads
        run(kRunKey, "MnBadExpand", REG_EXPAND_SZ, Terminated("%WINDIR%\\x.exe")),
        // A number in Run is no start-up item, so its paused namesake is not a leftover.
        run(kRunKey, "MnBadTwin", REG_DWORD, Dword(1)),
        run(kRunDisabledKey, "MnBadTwin", REG_SZ, Terminated("twin.exe")),
        run(kRunServicesKey, "MnBadService", REG_DWORD, Dword(0)),
        {HKEY_CURRENT_USER, kRunDisabledKey, "MnBadPaused", REG_BINARY, "\x01"},
    });
    StartMain();

    HWND process = OpenTool(IDC_CLEANRAM_BT, "Process manager");
    ASSERT_NE(process, nullptr);
    EXPECT_FALSE(IsChecked(process, IDC_DLL_CHECK));         // a number is not the text "1"
    EXPECT_FALSE(IsChecked(process, IDC_CHECKAUTOREFRESH));  // a text is not a number
    EXPECT_TRUE(Cancel(process));

    HWND startup = OpenTool(IDC_MSCONFIG_BT, "Start-up items");
    ASSERT_NE(startup, nullptr);
    EXPECT_EQ(WaitForMessageBox(app_.Pid(), 0), nullptr);  // no clean-up of MnBadTwin
    RemoteList list(GetDlgItem(startup, IDC_AUTORUN_LIST));
    ASSERT_TRUE(list.Ready());
    std::vector<std::string> ours;
    for (int row = 0, n = list.Count(); row < n; ++row)
        if (list.Text(row, 0).compare(0, 5, "MnBad") == 0) ours.push_back(list.Text(row, 0));
    std::sort(ours.begin(), ours.end());
    EXPECT_EQ(ours, (std::vector<std::string>{"MnBadEmpty", "MnBadExpand", "MnBadLong", "MnBadNoNul", "MnBadTwin"}));
    EXPECT_EQ(list.Text(list.Find("MnBadEmpty"), 1), "");
    EXPECT_EQ(list.Text(list.Find("MnBadNoNul"), 1), "nonul.exe");
    EXPECT_EQ(list.Text(list.Find("MnBadExpand"), 1), "%WINDIR%\\x.exe");
    EXPECT_EQ(list.Text(list.Find("MnBadTwin"), 2), "Paused");
    EXPECT_TRUE(Cancel(startup));
    EXPECT_TRUE(Alive());
}

TEST_F(BadRegistryTest, CacheWindowBacksUpOnlyNumbersAndKeepsTheFirstBackup) {
    auto cdfs = [](const char* name, DWORD type, const std::string& bytes) {
        return RawValue{HKEY_LOCAL_MACHINE, kCdfsKeyPath, name, type, bytes};
    };
    auto memory = [](const char* name, DWORD type, const std::string& bytes) {
        return RawValue{HKEY_LOCAL_MACHINE, kMemoryManagementKeyPath, name, type, bytes};
    };
    auto own = [](const char* name, DWORD type, const std::string& bytes) {
        return RawValue{HKEY_LOCAL_MACHINE, kProgramKeyPath, name, type, bytes};
    };
    const std::vector<ShownRow> rows = {
        {memory("ClearPageFileAtShutdown", REG_SZ, Terminated("0")), IDC_PAGECLEAN_CHECK, Shows::Unchecked, nullptr},
        {own("CDUSEValue", REG_SZ, Terminated("2")), IDC_CDCACHE_VALUE, Shows::Text, "CD/DVD-ROM 228KB"},
        {own("HDUSEValue", REG_DWORD, Dword(0xFFFFFFFF)), IDC_HDCACHE_VALUE, Shows::Text, "64MB"},
    };
    PutAll({
        own("OtherFunctionTips", REG_DWORD, Dword(1)),
        cdfs("CacheSize", REG_SZ, Terminated("abc")),
        cdfs("Prefetch", REG_BINARY, kBinary300),
        cdfs("PrefetchTail", REG_BINARY, "\x10\x02"),
        memory("", REG_SZ, Terminated("")),
        memory("IOPageLockLimit", REG_DWORD, Dword(3333)),
    });
    PutRows(rows);
    StartMain();

    HWND cache = OpenTool(IDC_BUTTONOT1, "Cache settings");
    ASSERT_NE(cache, nullptr);
    ExpectShown(cache, rows);
    HWND disk = GetDlgItem(cache, IDC_HDCACHE_SLIDER);
    EXPECT_EQ(SendMessageA(disk, TBM_GETPOS, 0, 0), SendMessageA(disk, TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(SendDlgItemMessageA(cache, IDC_CDCACHE_SLIDER, TBM_GETPOS, 0, 0), 0);
    SKIP_WITHOUT_RIGHTS();
    // Numbers are copied, a short binary as what it reads; texts and oversized values are not.
    EXPECT_EQ(StoredNumber(HKEY_LOCAL_MACHINE, kProgramKeyPath, "CacheBackupBOOL"), 1);
    EXPECT_EQ(StoredNumber(HKEY_LOCAL_MACHINE, kProgramKeyPath, "IOPageLockLimit"), 3333);
    EXPECT_EQ(StoredNumber(HKEY_LOCAL_MACHINE, kProgramKeyPath, "PrefetchTail"), 0x0210);
    DWORD type = 0;
    std::string bytes;
    for (const char* name : {"CacheSize", "Prefetch", "MMDefault"})
        EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, kProgramKeyPath, name, type, bytes)) << name;
    EXPECT_TRUE(Cancel(cache));

    // A flag that cannot be read still says a backup exists: today's values must not replace it.
    PutAll({own("CacheBackupBOOL", REG_BINARY, kBinary300), memory("IOPageLockLimit", REG_DWORD, Dword(9999))});
    cache = OpenTool(IDC_BUTTONOT1, "Cache settings");
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(StoredNumber(HKEY_LOCAL_MACHINE, kProgramKeyPath, "IOPageLockLimit"), 3333);
    EXPECT_EQ(StoredNumber(HKEY_LOCAL_MACHINE, kProgramKeyPath, "CacheBackupBOOL"), 1);
    EXPECT_TRUE(Cancel(cache));
    EXPECT_TRUE(Alive());
}
