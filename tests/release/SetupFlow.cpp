// The setup end to end under Wine: a silent install, the installed program started, a
// silent uninstall while it runs, and nothing of ours left but the user's start-up items.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/AutoRunProbe.h"
#include "driver/TestDriver.h"
#include "resource.h"

using namespace driver;

namespace {
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mnemora";
const char kProgramKey[] = "Software\\Ramvane";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunServicesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const char kRunPausedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run-";
const char* const kProgramFiles[] = {"Ramvane.exe", "English.ini", "Alert.wav", "Help.chm"};
const char* const kShortcuts[] = {"Mnemora.lnk", "Mnemora Help.lnk", "Uninstall Mnemora.lnk"};

// A delayed item as Delay.cfg holds it and where uninstalling must put it.
struct DelayedItem {
    const char* name;
    const char* command;
    const char* oldId;
    HKEY root;
    const char* key;
};
const DelayedItem kDelayed[] = {
    {"MnemoraTestA", "\"C:\\Program Files\\Test A\\a.exe\" /min", "0", HKEY_LOCAL_MACHINE, kRunKey},
    {"MnemoraTestB", "C:\\b.exe", "1", HKEY_LOCAL_MACHINE, kRunServicesKey},
    {"MnemoraTestC", "C:\\c.exe -x=1", "5", HKEY_CURRENT_USER, kRunKey},
    {"MnemoraTestD", "C:\\d.exe", "6", HKEY_CURRENT_USER, kRunKey},
    {"MnemoraTestE", "C:\\e.exe", "3", HKEY_LOCAL_MACHINE, kRunKey},  // hand-edited OLDID
};
// Delayed by the program while Windows redirected its writes to the user's VirtualStore.
const DelayedItem kVirtualized = {"MnemoraTestV", "C:\\v.exe", "5", HKEY_CURRENT_USER, kRunKey};
// Delayed, but active again under the same name since: the active command stays.
const char kReRegistered[] = "MnemoraTestF";
const char kPaused[] = "MnemoraTestP";

bool ReadString(HKEY root, const char* key, const char* name, std::string& value) {
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    char buffer[1024];
    DWORD size = sizeof buffer, type = 0;
    LONG rc = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return false;
    value.assign(buffer, size && buffer[size - 1] == '\0' ? size - 1 : size);
    return true;
}

std::string ReadString(HKEY root, const char* key, const char* name) {
    std::string value;
    return ReadString(root, key, name, value) ? value : "<missing>";
}

bool HasValue(HKEY root, const char* key, const char* name) {
    std::string ignored;
    return ReadString(root, key, name, ignored);
}

void WriteString(HKEY root, const char* key, const char* name, const std::string& value) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(k);
}

void DeleteValue(HKEY root, const char* key, const char* name) {
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    RegDeleteValueA(k, name);
    RegCloseKey(k);
}

bool KeyExists(HKEY root, const char* key) {
    HKEY k;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return in ? bytes.str() : "<unreadable " + path + ">";
}

std::string ShellFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
    return path;
}

// The file a shortcut starts.
std::string ShortcutTarget(const std::string& lnk) {
    std::string target;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return target;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::wstring wide(lnk.begin(), lnk.end());
        char path[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) && SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
            target = path;
        file->Release();
    }
    link->Release();
    return target;
}

// Delay.cfg as the program writes it.
std::string DelayFile(const std::vector<DelayedItem>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i)
        text += "[Item" + std::to_string(i) + "]\r\nProject=" + items[i].name + "\r\nPath=" + items[i].command +
                "\r\nDelay=3\r\nOLDID=" + items[i].oldId + "\r\n\r\n";
    return text;
}

void RemoveTestValues() {
    for (const DelayedItem& item : kDelayed) DeleteValue(item.root, item.key, item.name);
    DeleteValue(kVirtualized.root, kVirtualized.key, kVirtualized.name);
    DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, kReRegistered);
    DeleteValue(HKEY_LOCAL_MACHINE, kRunPausedKey, kPaused);
    DeleteValue(HKEY_LOCAL_MACHINE, kRunKey, "Ramvane");
}

class SetupFlow : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        KillStrays();
        RemoveTestValues();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kProgramKey);
    }
    void TearDown() override {
        app_.Kill();
        RemoveTestValues();
        CoUninitialize();
    }
    AppProcess app_;
};
}  // namespace

TEST_F(SetupFlow, InstallsRunsAndUninstallsLeavingOnlyTheUsersStartupItems) {
    // Install silently into the default folder.
    AppProcess setup;
    ASSERT_TRUE(setup.Start(MNEMORA_SETUP_EXE, "/S"));
    DWORD code = 99;
    ASSERT_TRUE(setup.WaitExit(120000, &code));
    ASSERT_EQ(code, 0u);

    const std::string dir = ShellFolder(CSIDL_PROGRAM_FILES) + "\\Mnemora";
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation"), dir);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Mnemora");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), MNEMORA_VERSION_TEXT);
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), "\"" + dir + "\\Uninstall.exe\"");
    for (const char* name : kProgramFiles)
        EXPECT_TRUE(FileBytes(dir + "\\" + name) == FileBytes(ProgramDir() + "\\" + name)) << name;
    EXPECT_TRUE(Exists(dir + "\\Uninstall.exe"));
    const std::string menu = ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Mnemora";
    for (const char* name : kShortcuts) EXPECT_TRUE(Exists(menu + "\\" + name)) << name;
    EXPECT_EQ(ShortcutTarget(menu + "\\Mnemora.lnk"), dir + "\\Ramvane.exe");

    // The installed program starts and stores its settings. Wine reports Windows 7: the start
    // with Windows of an older version becomes the log-on task.
    WriteString(HKEY_LOCAL_MACHINE, kRunKey, "Ramvane", dir + "\\Ramvane.exe -PowerOn");
    ASSERT_TRUE(app_.Start(dir + "\\Ramvane.exe", "/x"));
    ASSERT_NE(WaitForWindow("Mnemora", app_.Pid(), 20000), nullptr);
    EXPECT_TRUE(WaitUntil([] { return KeyExists(HKEY_LOCAL_MACHINE, kProgramKey); }, 10000));
    EXPECT_TRUE(WaitUntil([] { return Exists(TaskFilePath()); }, 10000));
    EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, kRunKey, "Ramvane"));

    // What the user may have set up meanwhile: auto-start, delayed and paused items.
    WriteString(HKEY_LOCAL_MACHINE, kRunKey, "Ramvane", dir + "\\Ramvane.exe -PowerOn");
    WriteString(HKEY_LOCAL_MACHINE, kRunKey, kReRegistered, "C:\\new-f.exe");
    WriteString(HKEY_LOCAL_MACHINE, kRunPausedKey, kPaused, "C:\\p.exe");
    std::vector<DelayedItem> items(std::begin(kDelayed), std::end(kDelayed));
    items.push_back({kReRegistered, "C:\\old-f.exe", "0", HKEY_LOCAL_MACHINE, kRunKey});
    std::ofstream(dir + "\\Delay.cfg", std::ios::binary) << DelayFile(items);
    const std::string virtualStore = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\VirtualStore\\" + dir.substr(3);
    ASSERT_EQ(SHCreateDirectoryExA(nullptr, virtualStore.c_str(), nullptr), ERROR_SUCCESS);
    std::ofstream(virtualStore + "\\Delay.cfg", std::ios::binary) << DelayFile({kVirtualized});

    // Uninstall silently while the program runs; the uninstaller goes on from a copy.
    AppProcess uninstall;
    ASSERT_TRUE(uninstall.Start(dir + "\\Uninstall.exe", "/S"));
    EXPECT_TRUE(WaitUntil([&] { return !Exists(dir) && !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey); }, 60000));
    EXPECT_TRUE(app_.WaitExit(10000)) << "the running copy was not ended";

    EXPECT_FALSE(Exists(dir));
    EXPECT_FALSE(Exists(virtualStore));
    EXPECT_FALSE(Exists(menu));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kProgramKey));
    EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, kRunKey, "Ramvane"));
    EXPECT_FALSE(Exists(TaskFilePath()));
    for (const DelayedItem& item : kDelayed)
        EXPECT_EQ(ReadString(item.root, item.key, item.name), item.command) << item.name;
    EXPECT_EQ(ReadString(kVirtualized.root, kVirtualized.key, kVirtualized.name), kVirtualized.command);
    EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, kRunKey, "MnemoraTestA"));
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kRunKey, kReRegistered), "C:\\new-f.exe");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kRunPausedKey, kPaused), "C:\\p.exe");
    EXPECT_FALSE(HasValue(HKEY_LOCAL_MACHINE, kRunKey, kPaused));
}
