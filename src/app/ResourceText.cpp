#include "app/ResourceText.h"

#include <windows.h>

#include <memory>

#include "app/IniFile.h"
#include "app/ProgramPath.h"
#include "ui/Handles.h"
#include "ui/MessageBox.h"

namespace {
const char kLanguageFile[] = "English.ini";

// GetFileAttributesA, not ...ExA: the 9x line's first release lacks the latter.
bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The parsed file of the last lookup with the bytes it was parsed from. Every lookup reads
// the file again and parses only when its bytes differ, so it answers exactly as a fresh
// read would, whatever the file's size and time say.
struct Cache {
    // A critical section rather than std::mutex, which would link the thread runtime's
    // error classes in for nothing.
    CRITICAL_SECTION lock;
    Cache() { InitializeCriticalSection(&lock); }
    ~Cache() { DeleteCriticalSection(&lock); }
    std::string path;
    std::string bytes;
    std::unique_ptr<IniFile> file;
    // The batch of lookups on thread `batchThread`, nested `batchDepth` deep; `batchRead` once
    // its first lookup read the file.
    int batchDepth = 0;
    DWORD batchThread = 0;
    bool batchRead = false;
};
Cache gCache;

struct Hold {
    Hold() { EnterCriticalSection(&gCache.lock); }
    ~Hold() { LeaveCriticalSection(&gCache.lock); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
};

bool InReadBatch() {
    return gCache.batchDepth > 0 && gCache.batchThread == GetCurrentThreadId() && gCache.batchRead && gCache.file;
}

// Reads the file's bytes through the system directly (the C library's stream costs more);
// ERROR_SUCCESS, ERROR_FILE_NOT_FOUND when there is no such file, or the error that kept
// an existing file from being read.
DWORD ReadFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    HANDLE opened = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return IsFile(path) ? error : ERROR_FILE_NOT_FOUND;  // a folder of that name counts as none
    }
    UniqueHandle file(opened);
    char buffer[8192];
    DWORD got = 0;
    BOOL ok;
    while ((ok = ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) && got > 0) bytes.append(buffer, got);
    return ok ? ERROR_SUCCESS : GetLastError();
}

std::string WindowsDirectoryFile() {
    char dir[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    if (n == 0 || n >= sizeof dir) return std::string();
    return std::string(dir) + "\\" + kLanguageFile;
}
}  // namespace

std::string FindLanguageFile() {
    std::string path = ProgramFilePath(kLanguageFile);
    if (IsFile(path)) return path;
    path = WindowsDirectoryFile();
    if (!path.empty() && IsFile(path)) return path;
    return std::string();
}

void LanguageBatch(bool begin) {
    Hold hold;
    if (begin) {
        if (gCache.batchDepth++ == 0) {
            gCache.batchThread = GetCurrentThreadId();
            gCache.batchRead = false;
        }
    } else if (gCache.batchDepth > 0 && --gCache.batchDepth == 0) {
        gCache.batchRead = false;
    }
}

std::string GetResourceText(const char* /*fileName*/, const char* key) {
    {
        Hold hold;
        if (InReadBatch()) return gCache.file->GetValue("Resource", key);
    }
    // One read per lookup (per batch), of the file beside the program or else of the Windows
    // folder's.
    std::string bytes;
    std::string path = ProgramFilePath(kLanguageFile);
    DWORD error = ReadFileBytes(path, bytes);
    if (error == ERROR_FILE_NOT_FOUND) {
        path = WindowsDirectoryFile();
        error = path.empty() ? ERROR_FILE_NOT_FOUND : ReadFileBytes(path, bytes);
    }
    if (error == ERROR_FILE_NOT_FOUND) {
        ShowMessageText(nullptr, "Can't open resource file", "Error", MB_ICONSTOP | MB_OK);
        ExitProcess(0);
    }
    if (error != ERROR_SUCCESS) return std::string();  // there but unreadable now: empty texts
    Hold hold;
    if (gCache.batchDepth > 0 && gCache.batchThread == GetCurrentThreadId()) gCache.batchRead = true;
    if (!gCache.file || gCache.path != path || gCache.bytes != bytes) {
        auto file = std::make_unique<IniFile>(path);
        file->LoadText(bytes);
        gCache.file = std::move(file);
        gCache.path = path;
        gCache.bytes = std::move(bytes);
    }
    return gCache.file->GetValue("Resource", key);
}

std::string Lang(const char* key) { return GetResourceText("Memlull.ini", key); }
