#include "app/ResourceText.h"

#include <windows.h>

#include <memory>
#include <mutex>

#include "app/IniFile.h"
#include "app/ProgramPath.h"

namespace {
const char kLanguageFile[] = "English.ini";

bool FileInfo(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& info) {
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The parsed file of the last lookup. A lookup reuses it only while the file's
// path, size and write time are unchanged, so an edited file is read again.
struct Cache {
    std::mutex lock;
    std::string path;
    WIN32_FILE_ATTRIBUTE_DATA info{};
    std::unique_ptr<IniFile> file;

    bool Matches(const std::string& p, const WIN32_FILE_ATTRIBUTE_DATA& i) const {
        return file && path == p && info.nFileSizeLow == i.nFileSizeLow && info.nFileSizeHigh == i.nFileSizeHigh &&
               CompareFileTime(&info.ftLastWriteTime, &i.ftLastWriteTime) == 0;
    }
};
Cache gCache;

std::string WindowsDirectoryFile() {
    char dir[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    if (n == 0 || n >= sizeof dir) return std::string();
    return std::string(dir) + "\\" + kLanguageFile;
}
}  // namespace

std::string FindLanguageFile() {
    WIN32_FILE_ATTRIBUTE_DATA info;
    std::string path = ProgramFilePath(kLanguageFile);
    if (FileInfo(path, info)) return path;
    path = WindowsDirectoryFile();
    if (!path.empty() && FileInfo(path, info)) return path;
    return std::string();
}

std::string GetResourceText(const char* /*fileName*/, const char* key) {
    WIN32_FILE_ATTRIBUTE_DATA info;
    std::string path = ProgramFilePath(kLanguageFile);
    if (!FileInfo(path, info)) {
        path = WindowsDirectoryFile();
        if (path.empty() || !FileInfo(path, info)) {
            MessageBoxA(nullptr, "Can't open resource file", "Error", MB_ICONSTOP | MB_OK);
            ExitProcess(0);
        }
    }
    std::lock_guard<std::mutex> hold(gCache.lock);
    if (!gCache.Matches(path, info)) {
        auto file = std::make_unique<IniFile>(path);
        file->Load();  // an unreadable file gives empty texts
        gCache.file = std::move(file);
        gCache.path = path;
        gCache.info = info;
    }
    return gCache.file->GetValue("Resource", key);
}

std::string Lang(const char* key) { return GetResourceText("Memlull.ini", key); }
