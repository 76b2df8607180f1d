// Enumeration and the per-process operations on real child processes under Wine (whose own
// processes are always listed too, so the checks look at the children by id).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "app/RegistryKey.h"
#include "driver/TestDriver.h"
#include "procmgr/ProcessList.h"
#include "resource.h"
#include "ui/FileIcon.h"
#include "ui/Handles.h"

using driver::AppProcess;

namespace {
const char kChild[] = MNEMORA_BINARY_DIR "\\tools\\procmgr_child.exe";
const char kChildDefaults[] = "Software\\Wine\\AppDefaults\\procmgr_child.exe";

// Path listed for `pid`, or "" when the process is not in the list.
std::string PathOf(const ProcessList& list, DWORD pid) {
    for (size_t k = 0; k < list.ProcessIds.size(); ++k)
        if (list.ProcessIds[k] == pid) return list.ImagePaths[k];
    return std::string();
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// Puts `replacement` in the slot of this program's import table through which `function` of
// `dll` is called; returns what was there (null, with nothing changed, when there is no slot).
void* ReplaceImport(const char* dll, const char* function, void* replacement) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + d->Name), dll) != 0) continue;
        auto name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot) {
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) || std::strcmp(byName->Name, function) != 0) continue;
            DWORD access = 0;
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &access);
            void* previous = reinterpret_cast<void*>(slot->u1.Function);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, access, &access);
            return previous;
        }
    }
    return nullptr;
}

// Windows' answer for a file that is neither a program nor an icon file; Wine answers 0.
HICON WINAPI ExtractIconAnswersOne(HINSTANCE, LPCSTR, UINT) { return reinterpret_cast<HICON>(1); }

// Runs the child's own enumeration under a Wine setting of its program key (`subKey` below
// AppDefaults\procmgr_child.exe, value `name` = `data`) and returns its report.
DWORD ChildListing(const char* subKey, const char* name, const char* data) {
    driver::DeleteKeyTree(HKEY_CURRENT_USER, kChildDefaults);
    if (name) {
        RegistryKey key;
        EXPECT_EQ(key.Open(HKEY_CURRENT_USER, "Software"), ERROR_SUCCESS);
        key.Create((std::string(kChildDefaults + 9) + subKey).c_str());
        EXPECT_EQ(key.SetString(data, name), ERROR_SUCCESS);
    }
    AppProcess child;
    EXPECT_TRUE(child.Start(kChild, "list"));
    DWORD code = 99;
    EXPECT_TRUE(child.WaitExit(30000, &code));
    driver::DeleteKeyTree(HKEY_CURRENT_USER, kChildDefaults);
    return code;
}
}  // namespace

TEST(ProcessList, ListsMeasuresTrimsAndEndsRealChildren) {
    AppProcess first, second;
    ASSERT_TRUE(first.Start(kChild));
    ASSERT_TRUE(second.Start(kChild));

    ProcessList list;
    ASSERT_EQ(list.Refresh(), 1);
    EXPECT_EQ(list.ProcessIds.size(), list.ImagePaths.size());
    ASSERT_EQ(list.ProcessIds.size(), list.WorkingSetsMB.size());
    EXPECT_TRUE(SamePath(PathOf(list, first.Pid()), kChild)) << PathOf(list, first.Pid());
    // The working sets come with the list, each as its own reading gives it.
    for (size_t k = 0; k < list.ProcessIds.size(); ++k) {
        if (list.ProcessIds[k] != first.Pid()) continue;
        double own = 0;
        ASSERT_NE(QueryWorkingSetMB(first.Pid(), own), 0);
        EXPECT_GT(list.WorkingSetsMB[k], 0.0);
        EXPECT_NEAR(list.WorkingSetsMB[k], own, 1.0);
    }
    EXPECT_TRUE(SamePath(PathOf(list, second.Pid()), kChild));
    // Toolhelp, the 9x line's way, and PSAPI without the kernel's naming of images (the NT
    // line before Vista: the first module's name) find them with the same paths.
    ProcessList toolhelp, modules;
    ASSERT_EQ(toolhelp.RefreshToolhelp(), 1);
    EXPECT_TRUE(SamePath(PathOf(toolhelp, first.Pid()), kChild)) << PathOf(toolhelp, first.Pid());
    ASSERT_NE(SystemImageNameCall(), nullptr);
    ASSERT_EQ(modules.RefreshPsapi(nullptr), 1);
    EXPECT_TRUE(SamePath(PathOf(modules, first.Pid()), kChild)) << PathOf(modules, first.Pid());
    EXPECT_EQ(modules.ProcessIds.size(), modules.WorkingSetsMB.size());

    double mb = -1.0;
    EXPECT_NE(QueryWorkingSetMB(first.Pid(), mb), 0);
    EXPECT_GT(mb, 0.0);
    EXPECT_LT(mb, 1024.0);
    // Wine empties nothing, but the call must reach the process and succeed.
    EXPECT_EQ(TrimWorkingSet(first.Pid()), 1);

    DWORD gone = first.Pid();
    EXPECT_EQ(KillProcess(gone), 1);
    EXPECT_FALSE(first.Running()) << "KillProcess returned before the process had ended";
    ASSERT_EQ(list.Refresh(), 1);
    EXPECT_EQ(PathOf(list, gone), "");
    EXPECT_NE(PathOf(list, second.Pid()), "");

    // Once its last handle is closed (Wine lets the id linger a moment more) the id names no
    // process: every operation fails at once and reports its failure value.
    first.Kill();
    ASSERT_TRUE(driver::WaitUntil(
        [&] {
            UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, gone));
            return !process;
        },
        5000));
    DWORD start = GetTickCount();
    EXPECT_EQ(KillProcess(gone), 0);
    EXPECT_LT(GetTickCount() - start, 1000u);
    mb = -1.0;
    EXPECT_EQ(QueryWorkingSetMB(gone, mb), 0);
    EXPECT_EQ(mb, 0.0);
    EXPECT_EQ(TrimWorkingSet(gone), 0);
}

TEST(ProcessList, NinetyXLineUsesToolhelpAndMissingPsapiLeavesNothing) {
    const DWORD ran = 1, foundItself = 2, empty = 4;
    EXPECT_EQ(ChildListing("", nullptr, nullptr), ran | foundItself);
    EXPECT_EQ(ChildListing("", "Version", "win98"), ran | foundItself);
    // An empty override value disables the DLL for that program.
    EXPECT_EQ(ChildListing("\\DllOverrides", "psapi", ""), empty);
}

TEST(NormalizeImagePath, KernelFormsBecomeDrivePaths) {
    char windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    const struct {
        const char* path;
        std::string display;
    } cases[] = {
        {"\\??\\C:\\WINDOWS\\system32\\winlogon.exe", "C:\\WINDOWS\\system32\\winlogon.exe"},
        {"\\SystemRoot\\System32\\smss.exe", std::string(windows) + "\\System32\\smss.exe"},
        {"C:\\x\\y.exe", "C:\\x\\y.exe"},
        // Both forms: the first rule wins.
        {"\\??\\\\SystemRoot\\a.exe", "\\SystemRoot\\a.exe"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizeImagePath(c.path), c.display) << c.path;
    // A long result is returned whole rather than cut at MAX_PATH.
    std::string longPath = "\\SystemRoot\\" + std::string(300, 'a') + ".exe";
    EXPECT_EQ(NormalizeImagePath(longPath).size(), std::string(windows).size() + 1 + 304);
}

TEST(FileIcon, CommandLinesNameTheirFile) {
    const struct {
        const char* command;
        const char* file;
    } cases[] = {
        {"\"C:\\Program Files\\x.exe\" /a", "C:\\Program Files\\x.exe"},
        {"\"C:\\Program Files\\x.exe\"", "C:\\Program Files\\x.exe"},
        {"\"C:\\unterminated.exe", "C:\\unterminated.exe"},
        {"C:\\x\\y.exe", "C:\\x\\y.exe"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CommandFilePath(c.command), c.file) << c.command;
}

TEST(FileIcon, EveryCallAddsExactlyOneIcon) {
    UniqueImageList images(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 9, 0));
    ASSERT_TRUE(images);
    const std::string notAProgram = driver::ProgramDir() + "\\English.ini";
    const std::string commands[] = {
        kChild,
        std::string("\"") + kChild + "\" /x",
        notAProgram,
        "Z:\\no\\such\\folder\\program.exe",
        "",
    };
    int count = 0;
    for (const std::string& command : commands) {
        AddFileIcon(command, images.get(), IDI_PROGRAM_FALLBACK);
        EXPECT_EQ(ImageList_GetImageCount(images.get()), ++count) << command;
    }
    // Where the shell has no icon, the file's own is asked for: as Windows answers for a file
    // without one, the fallback must come instead of no icon at all.
    void* wine = ReplaceImport("shell32.dll", "ExtractIconA", reinterpret_cast<void*>(&ExtractIconAnswersOne));
    ASSERT_NE(wine, nullptr);
    for (const std::string& command : commands) {
        AddFileIcon(command, images.get(), IDI_PROGRAM_FALLBACK);
        EXPECT_EQ(ImageList_GetImageCount(images.get()), ++count) << command << " as Windows answers";
    }
    ReplaceImport("shell32.dll", "ExtractIconA", wine);
    for (int i = 0; i < count; ++i) {
        IMAGEINFO info{};
        EXPECT_TRUE(ImageList_GetImageInfo(images.get(), i, &info));
    }
}

TEST(FileIcon, CacheReadsEachProgramOnce) {
    UniqueImageList images(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 9, 0));
    ASSERT_TRUE(images);
    const std::string ini = driver::ProgramDir() + "\\English.ini";
    FileIconCache cache;
    cache.Attach(images.get(), IDI_PROGRAM_FALLBACK);
    EXPECT_EQ(cache.IndexFor(kChild), 0);
    EXPECT_EQ(cache.IndexFor(ini), 1);
    EXPECT_EQ(cache.IndexFor(kChild), 0);
    EXPECT_EQ(ImageList_GetImageCount(images.get()), 2);
    // Attaching starts over with the new list.
    ImageList_RemoveAll(images.get());
    cache.Attach(images.get(), IDI_PROGRAM_FALLBACK);
    EXPECT_EQ(cache.IndexFor(ini), 0);
}
