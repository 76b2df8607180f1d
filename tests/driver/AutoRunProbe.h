// Where the program keeps its start with Windows, as tests see it: the Windows version Wine
// reports to the program (the Run value before Vista, a log-on task from Vista on) and the
// file in which the Task Scheduler keeps the task.
#pragma once
#include <windows.h>

#include <string>

namespace driver {

#ifdef _WIN64
const char kWindowsXP[] = "winxp64";  // Wine's XP for 64-bit programs
#else
const char kWindowsXP[] = "winxp";
#endif
const char kWindows10[] = "win10";

// Makes Wine report `version` to programs named Ramvane.exe started within the scope.
class ScopedWindowsVersion {
public:
    explicit ScopedWindowsVersion(const char* version) {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr) !=
            ERROR_SUCCESS)
            key_ = nullptr;
        if (key_)
            RegSetValueExA(key_, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                           static_cast<DWORD>(lstrlenA(version) + 1));
    }
    ~ScopedWindowsVersion() {
        if (!key_) return;
        RegDeleteValueA(key_, "Version");
        RegCloseKey(key_);
    }
    ScopedWindowsVersion(const ScopedWindowsVersion&) = delete;
    ScopedWindowsVersion& operator=(const ScopedWindowsVersion&) = delete;

private:
    static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\Ramvane.exe";
    HKEY key_ = nullptr;
};

// Path of the file of the task `name` in the scheduler's root folder.
inline std::string TaskFilePath(const char* name = "Mnemora") {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    return std::string(system) + "\\Tasks\\" + name;
}

// The task's file as text (UTF-16 with its mark, as Windows keeps it, or UTF-8, as Wine
// does; non-ASCII characters become '?'), "" when there is no such task.
inline std::string TaskFileText(const char* name = "Mnemora") {
    HANDLE file = CreateFileA(TaskFilePath(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    if (bytes.compare(0, 2, "\xFF\xFE") != 0) return bytes;
    std::string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += bytes[i + 1] == 0 && static_cast<unsigned char>(bytes[i]) < 0x80 ? bytes[i] : '?';
    return text;
}

}  // namespace driver
